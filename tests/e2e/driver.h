// Drives a running tarninfo.exe from another process, as a user sees it, each test in a folder of
// its own with its own copy of the exe and so its own log file. Nothing here waits for "idle":
// whoever acts waits for the effect it expects, with WaitUntil.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarn::e2e {

using test::WaitUntil;

// Given on the command line: --exe=, --console= (tarninfoc.exe), --cases= (the folder of
// *.case files), --fixtures=, --reports= (where tarninfoc's JSON reports are kept for the schema
// check that follows the tests).
struct Options {
  std::string exe, console, cases, fixtures, reports;
};
Options& options();

// `arg` in double quotes, as a program's command line parses it back: the backslashes that end
// it (a drive's root) are doubled, or the last of them would escape the closing quote.
inline std::string Quoted(const std::string& arg) {
  return "\"" + arg + arg.substr(arg.find_last_not_of('\\') + 1) + "\"";
}

// The command line that starts `exe` with `args` (none when empty).
inline std::string CommandLine(const std::string& exe, const std::string& args) {
  return Quoted(exe) + (args.empty() ? "" : " " + args);
}

void WriteFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::string& path);

// A fresh folder holding its own copy of tarninfo.exe and tarninfoc.exe, which share its log.
class Sandbox {
 public:
  explicit Sandbox(const std::string& name);
  const std::string& dir() const { return folder_.path(); }  // no trailing backslash
  const std::string& exe() const { return exe_; }
  const std::string& console_exe() const { return console_exe_; }
  std::string LogPath() const { return Path("Tarn Application Information.log"); }
  std::string Path(const std::string& file) const { return folder_ / file; }
  // The command line that starts the sandbox's exe with `args` (none when empty).
  std::string CommandLine(const std::string& args) const { return e2e::CommandLine(exe_, args); }

 private:
  test::TempFolder folder_;
  std::string exe_, console_exe_;
};

// A program that a test starts, ended by force if it still runs when the test is done.
class Child {
 public:
  // Starts `exe` with exactly `command_line`, which begins with the program as on Windows, and
  // the creation flags given; `out` and `err`, when given, become its standard output and error
  // and are closed here.
  Child(const std::string& exe, const std::string& command_line, DWORD flags = 0,
        HANDLE out = nullptr, HANDLE err = nullptr);
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  bool Ends(DWORD timeout_ms = 30000) const {
    return ::WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0;
  }
  // The exit code once the program has ended; nothing (and a failure) on timeout.
  std::optional<DWORD> Wait(DWORD timeout_ms = 120000) const;
  DWORD process_id() const { return process_id_; }

 protected:
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

// tarninfoc.exe running with its standard output and error going to files of its own, and a
// console of its own, so that a console control event can reach it alone.
class RunningConsole : public Child {
 public:
  RunningConsole(const Sandbox& sandbox, const std::string& args);
  std::string Output() const { return ReadFile(out_).value_or(""); }
  std::string Errors() const { return ReadFile(err_).value_or(""); }

 private:
  std::string out_, err_;
};

// A finished run of tarninfoc.exe.
struct ConsoleRun {
  std::optional<DWORD> exit_code;
  std::string out, err;
};
ConsoleRun RunConsole(const Sandbox& sandbox, const std::string& args);

// Holds the registration of the slow COM fixture, tarn_com_slow.dll, until Open(): while its
// gate is closed the registration stays under way, however loaded the machine.
struct RegistrationGate {
  const std::string path = options().fixtures + "\\tarn_com_slow.dll.open";
  RegistrationGate() { Close(); }
  ~RegistrationGate() { Close(); }  // closed again for the next test
  void Open() const { WriteFile(path, ""); }
  void Close() const { ::DeleteFileA(path.c_str()); }
};

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::string title, text;
  bool question = false;  // OK and Cancel
};

class RunningTool : public Child {
 public:
  using Child::Child;

  // A message box of the tool once one is up, or nothing once its main window is shown, which
  // is after the start-up's run. Fails the test on timeout.
  std::optional<MessageBoxSeen> WaitForBoxOrWindow(DWORD timeout_ms = 60000);
  // The main window once it is shown; every box before it fails the test and is answered.
  void WaitForWindowWithoutBoxes();
  // Presses a button of a message box and waits until the box is gone.
  void Answer(const MessageBoxSeen& box, int button = IDOK);
  // The shell's folder browser once it is up: `folder` chosen and OK pressed, or Cancel pressed
  // when `folder` is empty. False when no browser came up.
  bool AnswerFolderBrowser(const std::string& folder);
  // A visible top-level window of the tool of this class, once it is up; null on timeout.
  HWND WaitForWindow(const char* window_class, DWORD timeout_ms = 30000) const;
  HWND Focus() const;
  // Presses the keys together and releases them, as the user would, into `window` (the main
  // window when null), which comes to the front first.
  void PressKeys(std::initializer_list<WORD> keys, HWND window = nullptr);
  // A command from a control of `window`, handled on return unless it opens a modal window.
  void Command(HWND window, int id, int code = 0);
  void Click(int id) { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }

  HWND main_window() const { return main_; }
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  std::vector<std::string> Items() const;
  std::string LogText() const;
  bool IsEnabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
  // The close box; true when the program then ends.
  bool Close(DWORD timeout_ms = 30000);

 private:
  std::vector<HWND> TopLevelWindows() const;
  // A visible message box of the tool with its text, or nothing.
  std::optional<MessageBoxSeen> FindBox() const;
  // A visible top-level window of the tool of this class, or null.
  HWND Find(const char* window_class) const;

  HWND main_ = nullptr;
};

std::string WindowText(HWND window);
// The entries of another process's list box, or combo box, and the selected one.
std::vector<std::string> ListTexts(HWND list, bool combo = false);
std::string SelectedText(HWND list, bool combo = false);
// The text on the clipboard; nothing when it holds no text.
std::optional<std::string> ClipboardText();

}  // namespace tarn::e2e
