#include "e2e/driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "ui/resource.h"

namespace tarn::e2e {
namespace {

std::string ClassName(HWND window) {
  char name[256] = "";
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string Narrow(const std::wstring& wide) {
  std::string text(wide.size() * 2, '\0');
  text.resize(static_cast<std::size_t>(
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr)));
  return text;
}

}  // namespace

Options& options() {
  static Options instance;
  return instance;
}

Sandbox::Sandbox(const std::string& name)
    : folder_("e2e-" + name), exe_(Path("tarninfo.exe")), console_exe_(Path("tarninfoc.exe")) {
  EXPECT_TRUE(::CopyFileA(options().exe.c_str(), exe_.c_str(), FALSE))
      << "cannot copy " << options().exe;
  // Runs of the window alone (the screen tests) name no console edition.
  if (!options().console.empty()) {
    EXPECT_TRUE(::CopyFileA(options().console.c_str(), console_exe_.c_str(), FALSE))
        << "cannot copy " << options().console;
  }
}

Child::Child(const std::string& exe, const std::string& command_line, DWORD flags, HANDLE out,
             HANDLE err) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (out) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
  }
  PROCESS_INFORMATION info{};
  std::string line = command_line;
  const bool started = ::CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, out != nullptr,
                                        flags, nullptr, nullptr, &startup, &info);
  const DWORD error = ::GetLastError();
  for (HANDLE handle : {out, err})
    if (handle) ::CloseHandle(handle);
  if (!started) {
    ADD_FAILURE() << "cannot start " << exe << ": error " << error;
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
}

Child::~Child() {
  if (process_ == nullptr) return;
  if (!Ends(0)) {
    ::TerminateProcess(process_, 99);
    Ends(10000);
  }
  ::CloseHandle(process_);
}

std::optional<DWORD> Child::Wait(DWORD timeout_ms) const {
  if (process_ == nullptr) return std::nullopt;
  if (!Ends(timeout_ms)) {
    ADD_FAILURE() << "the program did not end within " << timeout_ms << " ms";
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

namespace {

// A file for a child's standard output or error, which it inherits.
HANDLE StandardFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

RunningConsole::RunningConsole(const Sandbox& sandbox, const std::string& args)
    : Child(sandbox.console_exe(), CommandLine(sandbox.console_exe(), args), CREATE_NEW_CONSOLE,
            StandardFile(sandbox.Path("tarninfoc.out")),
            StandardFile(sandbox.Path("tarninfoc.err"))),
      out_(sandbox.Path("tarninfoc.out")),
      err_(sandbox.Path("tarninfoc.err")) {}

ConsoleRun RunConsole(const Sandbox& sandbox, const std::string& args) {
  RunningConsole running(sandbox, args);
  ConsoleRun run;
  run.exit_code = running.Wait();
  run.out = running.Output();
  run.err = running.Errors();
  return run;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string WindowText(HWND window) {
  // The tool may be busy for a while (painting a long report) before it answers.
  DWORD_PTR length = 0;
  if (!window ||
      !::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length))
    return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, 60000, &copied);
  text.resize(copied);
  return text;
}

std::vector<HWND> RunningTool::TopLevelWindows() const {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id_, {}};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == s->process_id) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<MessageBoxSeen> RunningTool::FindBox() const {
  for (HWND window : TopLevelWindows()) {
    if (!::IsWindowVisible(window) || ClassName(window) != "#32770") continue;
    // A standard message box holds its prompt in the static control 0xFFFF.
    MessageBoxSeen box{window, WindowText(window), WindowText(::GetDlgItem(window, 0xFFFF))};
    box.question = ::GetDlgItem(window, IDOK) && ::GetDlgItem(window, IDCANCEL);
    if (!box.text.empty()) return box;
  }
  return std::nullopt;
}

std::optional<MessageBoxSeen> RunningTool::WaitForBoxOrWindow(DWORD timeout_ms) {
  std::optional<MessageBoxSeen> box;
  bool ended = false;
  // The window is first shown once the start-up's run has ended, so a visible window is done.
  const bool seen = WaitUntil(
      [&] {
        if ((box = FindBox())) return true;
        main_ = Find(TARN_MAIN_WINDOW_CLASS);
        return main_ != nullptr || (ended = Ends(0));
      },
      timeout_ms);
  if (!seen) ADD_FAILURE() << "no message box and no main window within " << timeout_ms << " ms";
  if (ended) ADD_FAILURE() << "tarninfo.exe ended before it showed its window";
  return box;
}

void RunningTool::WaitForWindowWithoutBoxes() {
  while (std::optional<MessageBoxSeen> box = WaitForBoxOrWindow()) {
    ADD_FAILURE() << "unexpected message box: " << box->text;
    Answer(*box);
  }
}

void RunningTool::Answer(const MessageBoxSeen& box, int button) {
  ::PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box.hwnd, button)));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box.hwnd); })) << "the box did not close";
}

bool RunningTool::AnswerFolderBrowser(const std::string& folder) {
  HWND browser = nullptr;
  WaitUntil([&] {
    browser = Find("#32770");
    return browser && ::FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
  });
  if (!browser) return false;
  if (!folder.empty()) {
    // The browser takes the path by address, so it is written into the tool's own memory.
    void* remote = ::VirtualAllocEx(process_, nullptr, folder.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_READWRITE);
    EXPECT_TRUE(remote &&
                ::WriteProcessMemory(process_, remote, folder.c_str(), folder.size() + 1, nullptr));
    // Until its tree is filled, the browser drops the selection; it is asked again until taken.
    HWND tree = ::FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    EXPECT_TRUE(WaitUntil([&] {
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote),
                            SMTO_NORMAL, 30000, &ignored);
      return ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
    })) << "the browser took no selection";
    ::VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  }
  const int button = folder.empty() ? IDCANCEL : IDOK;
  ::PostMessageA(browser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(browser, button)));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(browser); })) << "the browser did not close";
  return true;
}

std::vector<std::string> ListTexts(HWND list, bool combo) {
  // Asked in UTF-16: Wine hands a list's text to another process in its own, wide form.
  const UINT count_message = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT length_message = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT text_message = combo ? CB_GETLBTEXT : LB_GETTEXT;
  std::vector<std::string> items;
  const LRESULT count = ::SendMessageW(list, count_message, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = ::SendMessageW(list, length_message, i, 0);
    std::wstring wide(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(list, text_message, i, reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    items.push_back(Narrow(wide));
  }
  return items;
}

std::string SelectedText(HWND list, bool combo) {
  const LRESULT at = ::SendMessageW(list, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  const std::vector<std::string> texts = ListTexts(list, combo);
  return at >= 0 && static_cast<std::size_t>(at) < texts.size() ? texts[at] : "";
}

std::optional<std::string> ClipboardText() {
  // Read once the tool is done with it: a test that polled it could make the tool's copy fail.
  if (!::OpenClipboard(nullptr)) {
    ADD_FAILURE() << "the clipboard is open elsewhere";
    return std::nullopt;
  }
  std::optional<std::string> text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(::GlobalLock(data))) {
      text = bytes;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

std::vector<std::string> RunningTool::Items() const {
  return ListTexts(Control(IDC_LST_ITEMS));
}

HWND RunningTool::Find(const char* window_class) const {
  for (HWND window : TopLevelWindows())
    if (::IsWindowVisible(window) && ClassName(window) == window_class) return window;
  return nullptr;
}

HWND RunningTool::WaitForWindow(const char* window_class, DWORD timeout_ms) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = Find(window_class)) != nullptr; }, timeout_ms);
  return found;
}

HWND RunningTool::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void RunningTool::Command(HWND window, int id, int code) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(id, code),
                        reinterpret_cast<LPARAM>(::GetDlgItem(window, id)), SMTO_NORMAL, 60000,
                        &ignored);
}

void RunningTool::PressKeys(std::initializer_list<WORD> keys, HWND window) {
  ::SetForegroundWindow(window ? window : main_);
  // Each key down in turn, then up in the reverse order.
  std::vector<INPUT> inputs(keys.size() * 2);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (INPUT* input : {&inputs[i], &inputs[inputs.size() - 1 - i]}) {
      input->type = INPUT_KEYBOARD;
      input->ki.wVk = keys.begin()[i];
    }
    inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string RunningTool::LogText() const {
  return WindowText(Control(IDC_TXT_LOG));
}

bool RunningTool::Close(DWORD timeout_ms) {
  if (main_ != nullptr) ::PostMessageA(main_, WM_CLOSE, 0, 0);
  return Ends(timeout_ms);
}

}  // namespace tarn::e2e
