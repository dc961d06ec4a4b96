// Running the loaded script: the report header, one action per item line, the closing save.
#include <utility>

#include "form/main_form.h"
#include "script/item_line.h"
#include "services/texts.h"

namespace tarn {
namespace {

enum class ItemType { kAppName, kActiveXComponent, kFile, kInstallFolder, kInstantiateObject };

struct ItemTypeName {
  std::string_view keyword;  // upper case, compared with the whole upper-cased item key
  std::string_view written;
  ItemType type;
};

constexpr ItemTypeName kItemTypes[] = {
    {text::kKeyAppName, text::kTypeAppName, ItemType::kAppName},
    {text::kKeyActiveXComponent, text::kTypeActiveXComponent, ItemType::kActiveXComponent},
    {text::kKeyFile, text::kTypeFile, ItemType::kFile},
    {text::kKeyInstallFolder, text::kTypeInstallFolder, ItemType::kInstallFolder},
    {text::kKeyInstantiateObject, text::kTypeInstantiateObject, ItemType::kInstantiateObject},
};

constexpr std::string_view kInstallFolderMention = text::kVariableInstallFolder;

class Silent final : public Findings {};

}  // namespace

Findings& NoFindings() noexcept {
  static Silent none;
  return none;
}

void MainForm::Process() noexcept {
  install_folder_cancelled = false;
  log_saved_ = false;
  RunEnd end = RunEnd::kStopped;
  const bool ran = Guarded({Mode::kBoxAndLeave, text::kProcedureProcess}, *this, [&] {
    WriteHeader();
    ItemList& items = view_.Items();
    const int count = items.Count();
    for (int position = 0; position < count; ++position) {
      // A close asked for while an item waited ends the run as a stop by the user does.
      if (view_.CloseRequested()) return;
      const AfterLine after = RunItemLine(position, items.At(position));
      findings_.LineEnded();
      if (after == AfterLine::kStop) return;
    }
    LogEntry("");
    end = RunEnd::kCompleted;
  });
  findings_.RunEnded(ran ? end : RunEnd::kBroken);
  // A log-off while the save's failure is reported must not try the save again.
  if (!std::exchange(log_saved_, true)) SaveLog();
}

void MainForm::WriteHeader() {
  const std::string rule(80, '=');
  LogEntry(rule);
  const LocalDateTime now = desktop_.Now();
  std::string when(text::kDateTime);
  when += GeneralDate(desktop_, now);
  LogEntry(when);
  LogEntry(rule);
  findings_.RunBegun(now);
}

MainForm::AfterLine MainForm::RunItemLine(int position, const std::string& line) {
  ItemLine item;
  if (!SplitItemLine(line, item)) return AfterLine::kGoOn;
  if (!item.key.empty() && item.key.front() == ';') return AfterLine::kGoOn;
  findings_.LineBegun(position + 1, line);
  if (install_folder_cancelled && item.value.find(kInstallFolderMention) != std::string::npos) {
    LogEntry(std::string(text::kSkipping) + line);
    findings_.Skipped();
    return AfterLine::kGoOn;
  }
  if (TestForPrompt(item.value)) return AfterLine::kStop;
  bool skip = false;
  ReplaceVariables(item.value, skip);
  if (skip) return AfterLine::kGoOn;

  const std::string key = desktop_.UpperCase(item.key);
  for (const auto& [keyword, written, type] : kItemTypes) {
    if (key != keyword) continue;
    findings_.Action(written, item.value);
    switch (type) {
      case ItemType::kAppName:
        app_name = item.value;
        LogEntry(std::string(text::kApplicationName) + item.value);
        return AfterLine::kGoOn;
      case ItemType::kActiveXComponent:
        GetActiveXInfo(item.value);
        return AfterLine::kGoOn;
      case ItemType::kFile:
        GetFileInfo(item.value);
        return AfterLine::kGoOn;
      case ItemType::kInstallFolder:
        return InstallFolderStep(item.value);
      case ItemType::kInstantiateObject:
        InstantiateObjectCheck(item.value);
        return AfterLine::kGoOn;
    }
  }
  LogEntry(std::string(text::kUnknownItemType) + key);
  findings_.UnknownType(key, item.value);
  return AfterLine::kGoOn;
}

MainForm::AfterLine MainForm::InstallFolderStep(const std::string& value) {
  const bool exists = DoesFolderExist(value);
  findings_.Exists(exists);
  if (exists) {
    LogEntry(std::string(text::kSetInstallFolder) + value);
    install_folder = value;
    return AfterLine::kGoOn;
  }
  LogEntry(std::string(text::kInstallFolderNotFound) + value + "'");
  LogEntry(text::kPromptOrStop);
  const std::optional<std::string> chosen = AskForInstallFolder(value);
  if (!chosen) return AfterLine::kStop;
  findings_.FolderChosen(*chosen);
  install_folder = *chosen;
  return AfterLine::kGoOn;
}

}  // namespace tarn
