// Runs the real tarninfo.exe and tarninfoc.exe under test, each test in a folder of its own with
// its own copies of both and so its own log file, and drives the window from this process as a
// user would. Nothing here waits for "idle": whoever acts waits for the effect it expects, with
// WaitUntil and a deadline.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ui/resource.h"

namespace tarn::e2e {

using Lines = std::vector<std::string>;

// Checks `done` until it holds or `timeout_ms` has passed; the answer is the last check's.
template <class Condition>
bool WaitUntil(Condition done, DWORD timeout_ms = 30000) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    if (::GetTickCount64() >= deadline) return done();
    ::Sleep(10);  // the poll's interval, not a guess at how long something takes
  }
  return true;
}

inline std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
// Given by the test's environment (CMakeLists.txt): both exes, the folder of the *.case files, the
// fixtures' folder, and where the JSON reports are kept for the schema check that follows.
struct Options {
  std::string exe = Env("TARN_EXE"), console = Env("TARN_CONSOLE"), cases = Env("TARN_CASES"),
              fixtures = Env("TARN_FIXTURES"), reports = Env("TARN_REPORTS");
};
inline const Options& options() {
  static const Options instance;
  return instance;
}

// `arg` in double quotes, as a program's command line parses it back: the backslashes that end
// it (a drive's root) are doubled, or the last of them would escape the closing quote.
inline std::string Quoted(const std::string& arg) {
  return "\"" + arg + arg.substr(arg.find_last_not_of('\\') + 1) + "\"";
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A new folder under C:\tarn-tests (not under %TEMP%, a hidden folder that the shell's folder
// browser does not show), or on the share \\tarn\share, with copies of both exes, removed with
// everything in it at the end.
class Sandbox {
 public:
  explicit Sandbox(const std::string& name, bool on_share = false)
      : dir_((on_share ? "\\\\tarn\\share\\" : "C:\\tarn-tests\\") + name) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    std::filesystem::create_directories(dir_);
    for (const std::string* exe : {&options().exe, &options().console})
      EXPECT_TRUE(::CopyFileA(exe->c_str(), Path(exe->substr(exe->rfind('/') + 1)).c_str(), FALSE))
          << "cannot copy " << *exe;
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  ~Sandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& dir() const { return dir_; }  // no trailing backslash
  std::string Path(const std::string& file) const { return dir_ + "\\" + file; }
  std::string LogPath() const { return Path("Tarn Application Information.log"); }
  // The command line that starts the folder's copy of `exe` with `args` (none when empty).
  std::string Run(const char* exe, const std::string& args) const {
    return Quoted(Path(exe)) + (args.empty() ? "" : " " + args);
  }

 private:
  std::string dir_;
};

// A program started with exactly `command_line`, ended by force if it still runs at the end.
// With `output`, its standard output and error go to the files output.out and output.err, and it
// has a console of its own, so that a console control event reaches it alone; with `own_console`
// alone, it writes to a console of its own. Otherwise it has no console, as a program started from
// the desktop: Wine would give even a window program this process's console.
class Child {
 public:
  explicit Child(const std::string& command_line, const std::string& output = {},
                 bool own_console = false)
      : out_(output + ".out"), err_(output + ".err") {
    HANDLE files[2] = {};
    if (!output.empty()) {
      SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
      for (int i : {0, 1})
        files[i] =
            ::CreateFileA((i ? err_ : out_).c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr);
    }
    Start(command_line, files[0], files[1],
          output.empty() && !own_console ? DETACHED_PROCESS : CREATE_NEW_CONSOLE);
    for (HANDLE file : files)
      if (file) ::CloseHandle(file);
  }
  // Its standard output and error into `pipe`, an inheritable handle, in a console of its own.
  Child(const std::string& command_line, HANDLE pipe) {
    Start(command_line, pipe, pipe, CREATE_NEW_CONSOLE);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (process_ && !Ends(0)) ::TerminateProcess(process_, 99), Ends(10000);
    if (process_) ::CloseHandle(process_);
  }
  bool Ends(DWORD timeout_ms = 30000) const {
    return process_ && ::WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0;
  }
  // The exit code once the program has ended; nothing (and a failure) on timeout.
  std::optional<DWORD> Wait(DWORD timeout_ms = 120000) const {
    DWORD code = 0;
    if (Ends(timeout_ms) && ::GetExitCodeProcess(process_, &code)) return code;
    ADD_FAILURE() << "the program did not end within " << timeout_ms << " ms";
    return std::nullopt;
  }
  std::string Output() const { return ReadFile(out_).value_or(""); }
  std::string Errors() const { return ReadFile(err_).value_or(""); }
  DWORD process_id() const { return process_id_; }
  HANDLE process() const { return process_; }

 private:
  void Start(const std::string& command_line, HANDLE out, HANDLE err, DWORD flags) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = out ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    std::string line = command_line;
    const bool started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, out != nullptr,
                                          flags, nullptr, nullptr, &startup, &info);
    if (!started) {
      ADD_FAILURE() << "cannot start " << command_line << ": error " << ::GetLastError();
      return;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    process_id_ = info.dwProcessId;
  }

  std::string out_, err_;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

// A finished run of tarninfoc.exe.
struct ConsoleRun {
  std::optional<DWORD> exit_code;
  std::string out, err;
};
inline ConsoleRun RunConsole(const Sandbox& sandbox, const std::string& args) {
  Child console(sandbox.Run("tarninfoc.exe", args), sandbox.Path("tarninfoc"));
  const std::optional<DWORD> code = console.Wait();
  return {code, console.Output(), console.Errors()};
}

inline std::string WindowText(HWND window) {
  // The tool may be busy for a while (painting a long report) before it answers.
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length))
    return {};
  std::string text(length + 1, '\0');
  ::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, 60000, &length);
  text.resize(length);
  return text;
}

// The entries of another process's list box, asked in UTF-16: Wine hands a list's text to
// another process in its own, wide form.
inline Lines ListTexts(HWND list) {
  Lines items;
  for (LRESULT i = 0, count = ::SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
    std::wstring wide(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, 0);
    wide.resize(static_cast<std::size_t>(
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()))));
    std::string text(wide.size() * 2, '\0');
    text.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr)));
    items.push_back(text);
  }
  return items;
}

// The text on the clipboard, read once the tool is done with it (a test that polled it could
// make the tool's copy fail); nothing when it holds no text.
inline std::optional<std::string> ClipboardText() {
  if (!WaitUntil([] { return ::OpenClipboard(nullptr); })) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(::GlobalLock(data))) text = bytes;
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::string title, text;
  bool question = false;  // OK and Cancel
};

// tarninfo.exe, running.
class RunningTool : public Child {
 public:
  using Child::Child;

  // A visible top-level window of the tool of this class, once it is up; null on timeout.
  HWND WaitForWindow(const char* window_class, DWORD timeout_ms = 30000) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Find(window_class)) != nullptr; }, timeout_ms);
    return found;
  }
  // A message box of the tool once one is up, or nothing once its main window is shown, which
  // is after the start-up's run. Fails the test on timeout.
  std::optional<MessageBoxSeen> WaitForBoxOrWindow(DWORD timeout_ms = 60000) {
    std::optional<MessageBoxSeen> box;
    const bool seen = WaitUntil(
        [&] {
          HWND found = Find("#32770");
          // A standard message box holds its prompt in the static control 0xFFFF.
          if (found && ::GetDlgItem(found, 0xFFFF))
            box = {found, WindowText(found), WindowText(::GetDlgItem(found, 0xFFFF)),
                   ::GetDlgItem(found, IDOK) && ::GetDlgItem(found, IDCANCEL)};
          main_ = Find(TARN_MAIN_WINDOW_CLASS);
          return box || main_ || Ends(0);
        },
        timeout_ms);
    EXPECT_TRUE(seen && (box || main_)) << "no message box and no main window";
    return box;
  }
  // The main window once it is shown; every box before it fails the test and is answered.
  void WaitForWindowWithoutBoxes() {
    while (std::optional<MessageBoxSeen> box = WaitForBoxOrWindow()) {
      ADD_FAILURE() << "unexpected message box: " << box->text;
      Press(box->hwnd, IDOK);
    }
  }
  // Presses a button of a dialog and waits until the dialog is gone.
  void Press(HWND dialog, int button) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog did not close";
  }
  // The shell's folder browser once it is up: `folder` chosen and OK pressed, or Cancel pressed
  // when `folder` is empty. False when no browser came up.
  bool AnswerFolderBrowser(const std::string& folder) {
    HWND browser = nullptr, tree = nullptr;
    WaitUntil([&] {
      browser = Find("#32770");
      return (tree = ::FindWindowExA(browser, nullptr, "SysTreeView32", nullptr)) != nullptr;
    });
    if (!tree) return false;
    if (!folder.empty()) {
      // The browser takes the path by address, so it is written into the tool's own memory.
      void* remote =
          ::VirtualAllocEx(process(), nullptr, folder.size() + 1, MEM_COMMIT, PAGE_READWRITE);
      ::WriteProcessMemory(process(), remote, folder.c_str(), folder.size() + 1, nullptr);
      // Until its tree is filled, the browser drops the selection; it is asked again until taken.
      EXPECT_TRUE(WaitUntil([&] {
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote));
        return ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
      })) << "the browser took no selection";
    }
    Press(browser, folder.empty() ? IDCANCEL : IDOK);
    return true;
  }
  // Presses the keys together and releases them, as the user would, into `window` (the main
  // window when null) once it is the active window.
  void PressKeys(std::initializer_list<WORD> keys, HWND window = nullptr) {
    window = window ? window : main_;
    ::SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }));
    std::vector<INPUT> inputs(keys.size() * 2);
    for (std::size_t i = 0; i < keys.size(); ++i) {  // down in turn, then up in reverse order
      for (INPUT* input : {&inputs[i], &inputs[inputs.size() - 1 - i]}) {
        input->type = INPUT_KEYBOARD;
        input->ki.wVk = keys.begin()[i];
      }
      inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }
  // A command from a control of `window`, handled on return unless it opens a modal window.
  void Command(HWND window, int id, int code = BN_CLICKED) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(id, code),
                          reinterpret_cast<LPARAM>(::GetDlgItem(window, id)), SMTO_NORMAL, 60000,
                          &ignored);
  }
  void Click(int id) { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }
  // The main window, shown or not: the start-up's run holds it hidden. False on timeout.
  bool FindMainWindow() {
    return WaitUntil([&] { return (main_ = Find(TARN_MAIN_WINDOW_CLASS, false)) != nullptr; });
  }
  // The tool's visible windows of this class, such as its open message boxes (#32770).
  int CountWindows(const char* window_class) const {
    int count = 0;
    for (HWND window = nullptr; (window = Find(window_class, true, window));) ++count;
    return count;
  }
  HWND main_window() const { return main_; }
  HWND Control(int id) const { return ::GetDlgItem(main_, id); }
  Lines Items() const { return ListTexts(Control(IDC_LST_ITEMS)); }
  std::string LogText() const { return WindowText(Control(IDC_TXT_LOG)); }
  // The close box; true when the program then ends.
  bool Close() {
    ::PostMessageA(main_, WM_CLOSE, 0, 0);
    return Ends();
  }

 private:
  // The tool's first top-level window of this class after `after`.
  HWND Find(const char* window_class, bool visible = true, HWND after = nullptr) const {
    for (HWND window = after; (window = ::FindWindowExA(nullptr, window, window_class, nullptr));) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(window, &owner);
      if (owner == process_id() && (!visible || ::IsWindowVisible(window))) return window;
    }
    return nullptr;
  }

  HWND main_ = nullptr;
};

}  // namespace tarn::e2e
