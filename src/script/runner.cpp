// Running the loaded script: the report header, one action per item line, the closing save.
#include <utility>

#include "form/main_form.h"
#include "script/item_line.h"
#include "services/texts.h"

namespace tarn {
namespace {

enum class ItemType { kAppName, kActiveXComponent, kFile, kInstallFolder, kInstantiateObject };

// Keywords in upper case, compared with the whole upper-cased item key.
constexpr std::pair<std::string_view, ItemType> kItemTypes[] = {
    {text::kKeyAppName, ItemType::kAppName},
    {text::kKeyActiveXComponent, ItemType::kActiveXComponent},
    {text::kKeyFile, ItemType::kFile},
    {text::kKeyInstallFolder, ItemType::kInstallFolder},
    {text::kKeyInstantiateObject, ItemType::kInstantiateObject},
};

constexpr std::string_view kInstallFolderMention = text::kVariableInstallFolder;

}  // namespace

void MainForm::Process() noexcept {
  install_folder_cancelled = false;
  Guarded({Mode::kBoxAndLeave, text::kProcedureProcess}, *this, [&] {
    WriteHeader();
    ItemList& items = view_.Items();
    const int count = items.Count();
    for (int position = 0; position < count; ++position) {
      // A close asked for while an item waited ends the run as a stop by the user does.
      if (view_.CloseRequested()) return;
      if (RunItemLine(items.At(position)) == Outcome::kStop) return;
    }
    LogEntry("");
  });
  SaveLog();
}

void MainForm::WriteHeader() {
  const std::string rule(80, '=');
  LogEntry(rule);
  std::string when(text::kDateTime);
  when += GeneralDate(desktop_, desktop_.Now());
  LogEntry(when);
  LogEntry(rule);
}

MainForm::Outcome MainForm::RunItemLine(const std::string& line) {
  ItemLine item;
  if (!SplitItemLine(line, item)) return Outcome::kGoOn;
  if (!item.key.empty() && item.key.front() == ';') return Outcome::kGoOn;
  if (install_folder_cancelled && item.value.find(kInstallFolderMention) != std::string::npos) {
    LogEntry(std::string(text::kSkipping) + line);
    return Outcome::kGoOn;
  }
  if (TestForPrompt(item.value)) return Outcome::kStop;
  bool skip = false;
  ReplaceVariables(item.value, skip);
  if (skip) return Outcome::kGoOn;

  const std::string key = desktop_.UpperCase(item.key);
  for (const auto& [keyword, type] : kItemTypes) {
    if (key != keyword) continue;
    switch (type) {
      case ItemType::kAppName:
        app_name = item.value;
        LogEntry(std::string(text::kApplicationName) + item.value);
        return Outcome::kGoOn;
      case ItemType::kActiveXComponent:
        GetActiveXInfo(item.value);
        return Outcome::kGoOn;
      case ItemType::kFile:
        GetFileInfo(item.value);
        return Outcome::kGoOn;
      case ItemType::kInstallFolder:
        return InstallFolderStep(item.value);
      case ItemType::kInstantiateObject:
        InstantiateObjectCheck(item.value);
        return Outcome::kGoOn;
    }
  }
  LogEntry(std::string(text::kUnknownItemType) + key);
  return Outcome::kGoOn;
}

MainForm::Outcome MainForm::InstallFolderStep(const std::string& value) {
  if (DoesFolderExist(value)) {
    LogEntry(std::string(text::kSetInstallFolder) + value);
    install_folder = value;
    return Outcome::kGoOn;
  }
  LogEntry(std::string(text::kInstallFolderNotFound) + value + "'");
  LogEntry(text::kPromptOrStop);
  const std::optional<std::string> chosen = AskForInstallFolder(value);
  if (!chosen) return Outcome::kStop;
  install_folder = *chosen;
  return Outcome::kGoOn;
}

}  // namespace tarn
