// The console edition's side of the main form: the item list and the log pane in memory, the
// report on standard output, messages on standard error, and the answers that the window's user
// would have given. Nothing here waits for anyone.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "services/win32/desktop.h"
#include "services/win32/process_runner.h"
#include "services/win32/shell.h"

namespace tarn::win32 {

// Writes text of `code_page` to a standard handle; nothing when the handle is missing. A file or a
// pipe takes the bytes as they are; a console would show them in its own code page, so it is given
// the text in UTF-16.
void WriteStandard(DWORD which, std::string_view bytes, UINT code_page = CP_ACP) noexcept;
// One line on standard error: line breaks inside the text become blanks.
void WriteErrorLine(std::string_view text) noexcept;

class MemoryItems final : public ItemList {
 public:
  void Clear() override { lines_.clear(); }
  void AddAll(const std::vector<std::string>& lines) override;
  int Count() override { return static_cast<int>(lines_.size()); }
  std::string At(int position) override;

 private:
  std::vector<std::string> lines_;
};

// The pane's text, kept for the log file; with `echo`, new entries also go to standard output,
// gathered and written in one call when flushed, as the window's pane gathers its entries.
class ConsolePane final : public LogPane {
 public:
  explicit ConsolePane(bool echo) : echo_(echo) {}
  void Append(std::string_view text) override;
  std::string Text() override { return text_; }
  std::string SelectedText() override { return {}; }
  void Clear() override;
  void Flush() noexcept;

 private:
  bool echo_;
  std::string text_;
  std::size_t written_ = 0;  // how much of the text is on standard output
};

class ConsoleView final : public MainView, public Processes, public EventPump {
 public:
  // `stop` is set when the run is to stop before its next item line (Ctrl+C, Ctrl+Break); a
  // program still running after `time_limit_seconds` (0: no limit) is ended.
  ConsoleView(bool echo, const std::atomic<bool>& stop, std::uint32_t time_limit_seconds)
      : pane_(echo), stop_(stop), time_limit_seconds_(time_limit_seconds) {}

  ItemList& Items() override { return items_; }
  LogPane& Log() override { return pane_; }
  void EnableGetInfo(bool) override {}
  std::string FileDialog(std::string_view, std::string_view) override { return {}; }
  bool CloseRequested() override { return stop_.load(); }
  ProgramEnd RunAndWait(const std::string& command_line) override;
  // COM's apartment has a hidden window whose messages must keep flowing during a wait.
  void HandlePendingEvents() override;
  ConsolePane& pane() { return pane_; }

 private:
  MemoryItems items_;
  ConsolePane pane_;
  const std::atomic<bool>& stop_;
  std::uint32_t time_limit_seconds_;
};

// The desktop without a user: a box's text goes to `tell`, every question is answered OK.
class ConsoleDesktop final : public Desktop {
 public:
  explicit ConsoleDesktop(std::function<void(std::string_view)> tell) : tell_(std::move(tell)) {}

  void MessageBox(std::string_view text, BoxIcon) override { tell_(text); }
  bool Question(std::string_view) override { return true; }
  void ClearClipboard() override {}
  void PutClipboardText(std::string_view) override {}
  LocalDateTime Now() override { return desktop_.Now(); }
  std::string ShortDate(const LocalDateTime& when) override { return desktop_.ShortDate(when); }
  std::string LongTime(const LocalDateTime& when) override { return desktop_.LongTime(when); }
  std::string UpperCase(std::string_view text) override { return desktop_.UpperCase(text); }
  std::string ExeFolder() override { return desktop_.ExeFolder(); }

 private:
  std::function<void(std::string_view)> tell_;
  Win32Desktop desktop_;
};

// The shell's special folders; its folder browser answers with the folder given beforehand, or
// as if cancelled when none was.
class ConsoleShell final : public Shell {
 public:
  // `folder` is a full path ending in a backslash, as the browser gives its folders.
  explicit ConsoleShell(std::optional<std::string> folder) : folder_(std::move(folder)) {}

  std::string SpecialFolder(int csidl) override { return shell_.SpecialFolder(csidl); }
  std::string BrowseForFolder(std::string_view, std::string_view, int) override {
    return folder_.value_or("");
  }

 private:
  std::optional<std::string> folder_;
  Win32Shell shell_;
};

}  // namespace tarn::win32
