// The install-folder prompt: the PROMPT question, the missing-folder question and the folder
// browser that both open.
#include "form/main_form.h"
#include "services/texts.h"

namespace tarn {

void MainForm::LogSelected(std::string_view start, const std::string& folder) noexcept {
  std::string entry(start);
  entry.append(folder).append(text::kFolderSelected);
  LogEntry(entry);
}

bool MainForm::TestForPrompt(std::string& value) noexcept {
  bool stopped = false;
  Guarded({Mode::kBoxAndLeave, text::kProcedureTestForPrompt}, *this, [&] {
    // Upper case keeps a text's length; most values are not even as long as PROMPT.
    if (value.size() != text::kPromptValue.size()) return;
    if (desktop_.UpperCase(value) != text::kPromptValue) return;
    std::string question(text::kPleaseSpecify);
    question.append(app_name).append(text::kIsInstalled).append(text::kPressOkOrCancel);
    const std::optional<std::string> chosen = BrowseForInstallFolder(question);
    if (!chosen) {
      stopped = true;
      return;
    }
    value = *chosen;
    if (!value.empty()) LogSelected(text::kPromptedFolder, value);
    findings_.Prompted(value);
  });
  return stopped;
}

std::optional<std::string> MainForm::AskForInstallFolder(const std::string& value) {
  std::string question(text::kPleaseSpecify);
  question.append(app_name).append(text::kIsInstalledFolder).append(value);
  question.append(text::kDoesNotExist).append(text::kPressOkOrCancel);
  std::optional<std::string> chosen = BrowseForInstallFolder(question);
  if (chosen && !chosen->empty()) LogSelected(text::kFoundFolder, *chosen);
  return chosen;
}

// Asks `question`; after OK, the folder browser. Logs a stop and a cancelled selection, which it
// also records; a chosen folder is given without its closing backslash.
std::optional<std::string> MainForm::BrowseForInstallFolder(std::string_view question) {
  if (!desktop_.Question(question)) {
    LogEntry(text::kScriptCancelled);
    return std::nullopt;
  }
  std::string title(text::kSelectFolderStart);
  title.append(app_name).append(text::kSelectFolderEnd);
  std::string folder;
  Guarded({Mode::kBoxAndLeave, text::kProcedureBrowseForFolder, text::kFolderBrowserModule,
           BoxIcon::kExclamation, true},
          *this, [&] { folder = shell_.BrowseForFolder("", title, kNoRoot); });
  if (folder.empty()) {
    LogEntry(text::kSelectionCancelled);
    install_folder_cancelled = true;
    return std::string();
  }
  return GetFilePathOnly(folder);
}

}  // namespace tarn
