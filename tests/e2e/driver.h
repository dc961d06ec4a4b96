// Drives a running tarninfo.exe from another process, as a user would see it: its message
// boxes, its controls and its log file. Nothing here waits for "idle": a caller that acts waits
// for the effect it expects, with test::WaitUntil.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarn::e2e {

using test::WaitUntil;

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
};

class RunningTool {
 public:
  // Starts `exe` with exactly `command_line` (which, as on Windows, begins with the program).
  RunningTool(const std::string& exe, const std::string& command_line);
  RunningTool(const RunningTool&) = delete;
  RunningTool& operator=(const RunningTool&) = delete;
  ~RunningTool();

  bool started() const { return process_ != nullptr; }

  // Waits until a message box of the tool is up (returned) or its main window is visible
  // (nothing returned). Fails the test on timeout.
  std::optional<MessageBoxSeen> WaitForBoxOrWindow(DWORD timeout_ms = 60000);
  // The message box that is up now, if any.
  std::optional<MessageBoxSeen> FindBox() const;
  // Presses a button of a message box (IDOK, IDCANCEL...) and waits until the box is gone.
  void Answer(const MessageBoxSeen& box, int button = IDOK);

  HWND main_window() const { return main_; }
  // A visible top-level window of the tool with this class, once it is up; null on timeout.
  HWND WaitForWindow(const char* window_class, DWORD timeout_ms = 30000) const;
  // The control that has the keyboard focus in the tool.
  HWND Focus() const;
  // Presses the keys together and releases them in reverse order, as the user would; `window`
  // (the main window when null) is brought to the front first.
  void PressKeys(std::initializer_list<WORD> keys, HWND window = nullptr);
  // A command as a control of `window` sends it; handled when this returns, unless it opens a
  // modal window.
  void Command(HWND window, int id, int code = 0);
  // Clicks a button of the main window; returns at once.
  void Click(int id);
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  std::vector<std::string> Items() const;
  std::string LogText() const;
  bool IsEnabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
  // Closes the main window with its close box; true when the program then ends.
  bool Close(DWORD timeout_ms = 30000);
  // True when the program ends within the time.
  bool Ends(DWORD timeout_ms = 30000) const;

 private:
  std::vector<HWND> TopLevelWindows() const;

  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HWND main_ = nullptr;
};

std::string WindowText(HWND window);
// The entries of another process's list box (LB_) or combo box (CB_).
std::vector<std::string> ListTexts(HWND list, bool combo = false);
// The selected entry of another process's list box or combo box; empty when none is.
std::string SelectedText(HWND list, bool combo = false);
// The text on the clipboard; nothing when it holds no text.
std::optional<std::string> ClipboardText();

}  // namespace tarn::e2e
