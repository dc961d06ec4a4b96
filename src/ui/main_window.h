// The main window: a Windows top-level window that provides the controls of MainForm and
// forwards the user's commands to its procedures.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "form/main_form.h"
#include "services/win32/com.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/process_runner.h"
#include "services/win32/shell.h"
#include "ui/win32_controls.h"
#include "ui/win32_layout.h"

namespace tarn::win32 {

// While a run waits for a program, the window answers: Open and Get Info are refused with a beep
// (no run inside a run), and Exit or the close box is remembered: the run stops before its next
// item line, saves its log as always, and then the window closes. A log-off or shut-down ends the
// program as soon as the window has answered it, so the run's log is saved before that answer.
class MainWindow final : public MainView, public Processes, public EventPump {
 public:
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, with its controls and menus.
  bool Create(HINSTANCE instance);
  // Sizes and lays out the window, then loads and runs the info file the command line names, all
  // before the window is first shown.
  void StartUp(std::string_view argument_text);
  void Show(int show_command);
  // Lets the window handle a message of the thread's loop; true when it was consumed.
  bool PreTranslate(MSG& message);

  HWND hwnd() const { return hwnd_; }
  MainForm& form() { return form_; }

  ItemList& Items() override { return items_; }
  LogPane& Log() override { return pane_; }
  void EnableGetInfo(bool enabled) override;
  std::string FileDialog(std::string_view extension, std::string_view start_path) override;
  bool CloseRequested() override { return close_requested_; }
  ProgramEnd RunAndWait(const std::string& command_line) override;
  void HandlePendingEvents() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void OnCreate();
  void OnCommand(int id, int code);
  void OnOpen();
  void OnGetInfo();
  void OnExit();
  void OnEndSession();
  void RunScript();
  void OnCopyAll();
  void OnCopy();
  void InitializeForm();
  void ArrangeControls();
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }

  HWND hwnd_ = nullptr;
  UniqueAccelerators accelerators_;
  bool initializing_ = false;
  bool running_ = false;
  bool close_requested_ = false;
  std::optional<WPARAM> quit_code_;  // a quit taken off the queue while a run waited
  ControlFonts fonts_;
  ListBoxItems items_;
  EditLogPane pane_;
  Win32FileSystem files_;
  Win32Desktop desktop_;
  Win32Shell shell_;
  Win32Com com_;
  MainForm form_;
};

}  // namespace tarn::win32
