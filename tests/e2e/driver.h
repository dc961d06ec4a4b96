// Drives a running tarninfo.exe from another process, as a user would see it: its message
// boxes, its controls and its log file.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tarn::e2e {

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
  // Presses the keys together, as the user would, and releases them in reverse order; `window`
  // (the main window when null) is brought to the front first.
  void PressKeys(std::initializer_list<WORD> keys, HWND window = nullptr);
  // A command as a control of `window` sends it, handled before this returns.
  void Command(HWND window, int id, int code = 0);
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  std::vector<std::string> Items() const;
  std::string LogText() const;
  bool IsEnabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
  // Clicks a button of the main window and waits until the window is idle again.
  void Click(int id);
  // Closes the main window with its close box and waits for the program to end.
  bool Close(DWORD timeout_ms = 30000);
  // Waits until the tool's main thread has handled what was sent or posted to it.
  bool WaitIdle(DWORD timeout_ms = 60000) const;

 private:
  std::vector<HWND> TopLevelWindows() const;

  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HWND main_ = nullptr;
};

std::string WindowText(HWND window);
// The entries of another process's list box (LB_) or combo box (CB_).
std::vector<std::string> ListTexts(HWND list, bool combo = false);
// The text on the clipboard; nothing when it holds no text.
std::optional<std::string> ClipboardText();

}  // namespace tarn::e2e
