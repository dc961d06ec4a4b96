// The main window's logic: its controls as the script engine, the checks and the log see them,
// the script state it owns, and its procedures. The procedures are defined beside the subsystem
// they belong to (script/, checks/, log/); the Windows window that provides the controls is
// ui/main_window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/findings.h"
#include "services/failure.h"
#include "services/platform.h"

namespace tarn {

// Item lines are counted with 16-bit signed positions.
inline constexpr int kMaxItemLines = 32767;

class ItemList {
 public:
  virtual void Clear() = 0;
  virtual void AddAll(const std::vector<std::string>& lines) = 0;
  virtual int Count() = 0;
  virtual std::string At(int position) = 0;  // throws for a position outside the list

 protected:
  ~ItemList() = default;
};

class LogPane {
 public:
  virtual void Append(std::string_view text) = 0;  // at the very end, whatever the selection
  virtual std::string Text() = 0;
  virtual std::string SelectedText() = 0;
  virtual void Clear() = 0;

 protected:
  ~LogPane() = default;
};

// The controls and dialogs of the main window that its procedures use.
class MainView {
 public:
  virtual ItemList& Items() = 0;
  virtual LogPane& Log() = 0;
  virtual void EnableGetInfo(bool enabled) = 0;
  // Asks the user for a file with the given extension; empty text when none was chosen.
  virtual std::string FileDialog(std::string_view extension, std::string_view start_path) = 0;
  // True once the user has asked to close the window during a run: the run stops before its
  // next item line.
  virtual bool CloseRequested() = 0;

 protected:
  ~MainView() = default;
};

class MainForm final : public Reporter {
 public:
  MainForm(const Platform& platform, MainView& view, Findings& findings = NoFindings())
      : files_(platform.files),
        desktop_(platform.desktop),
        shell_(platform.shell),
        com_(platform.com),
        processes_(platform.processes),
        view_(view),
        findings_(findings) {}

  // Script state, kept for the life of the window.
  std::string app_name;
  std::string install_folder;
  bool install_folder_cancelled = false;

  // What a run may change on the machine: the window's registers every component and appends
  // every report to its log file; a read-only audit does neither.
  bool register_components = true;
  bool append_log_file = true;

  // Info file; true when the file was read into the item list.
  bool LoadInfoFile(std::string& path) noexcept;
  // Script runner
  void Process() noexcept;
  // Log
  void LogEntry(std::string_view entry) noexcept;
  void SaveLog() noexcept;
  // Saves the log of the run under way at once, for a program about to be ended before the run
  // can end; the run's own save at its end is then left out. Once the run's own save has begun,
  // even one that failed, nothing is saved again.
  void SaveLogBeforeTheEnd() noexcept;
  void CopyAllText() noexcept;
  void CopyText() noexcept;
  // Path operations
  bool DoesFileExist(std::string_view path) noexcept;
  bool DoesFolderExist(std::string_view path) noexcept;
  std::string GetFilePathOnly(std::string_view path) noexcept;

  void ReportToLog(std::string_view error_text) noexcept override;
  void ReportInBox(std::string_view error_text, BoxIcon icon) noexcept override;

 private:
  enum class AfterLine { kGoOn, kStop };
  AfterLine RunItemLine(int position, const std::string& line);
  void WriteHeader();
  void CopyFromPane(std::string (LogPane::*read)()) noexcept;
  // Seams that the prompt, variable and check code fill in.
  bool TestForPrompt(std::string& value) noexcept;
  // The folder the user chose (empty text when the browser was cancelled), or nothing when the
  // user stopped the script. Its failures are the caller's.
  std::optional<std::string> AskForInstallFolder(const std::string& value);
  std::optional<std::string> BrowseForInstallFolder(std::string_view question);
  void LogSelected(std::string_view start, const std::string& folder) noexcept;
  void ReplaceVariables(std::string& value, bool& skip) noexcept;
  AfterLine InstallFolderStep(const std::string& value);
  void GetActiveXInfo(const std::string& path) noexcept;
  // The GUID, or the reason why none was read (`read` false).
  std::string GetActiveXGUID(const std::string& path, bool& read) noexcept;
  bool RegisterActiveX(const std::string& path) noexcept;
  void GetFileInfo(const std::string& path) noexcept;
  // The blank entry and heading that open a file's block; false, after "File does not exist",
  // when the file is missing.
  bool BeginFileBlock(std::string_view heading, const std::string& path);
  std::string GetFileVersion(const std::string& path) noexcept;
  void InstantiateObjectCheck(const std::string& prog_id) noexcept;

  FileSystem& files_;
  Desktop& desktop_;
  Shell& shell_;
  Com& com_;
  Processes& processes_;
  MainView& view_;
  Findings& findings_;
  // The run under way has tried its one save, at its end or by SaveLogBeforeTheEnd.
  bool log_saved_ = false;
};

}  // namespace tarn
