// A run stopped while RegSvr32 registers the slow fixture, in the ways a user stops one: the
// window's Exit, a log-off, and tarninfoc's Ctrl+C. Either way the item under way ends, nothing
// after it runs, and the log is saved; the window answers and refuses a second run meanwhile.
// tarninfoc ended by force leaves its output pipe to its reader; what tarninfoc's own console
// shows; and tarninfoc's time limit on a RegSvr32 that never ends.
#include <windows.h>

#include "e2e/driver.h"
#include "win32/started_process.h"

namespace tarn::e2e {
namespace {

// Holds the slow fixture's registration until Open(): while its gate (a file beside it) is
// closed, the registration stays under way, however loaded the machine.
struct RegistrationGate {
  const std::string path = options().fixtures + "\\tarn_com_slow.dll.open";
  explicit RegistrationGate(bool open = false) { open ? Open() : Close(); }
  ~RegistrationGate() { Close(); }
  void Open() const { WriteFile(path, ""); }
  void Close() const { ::DeleteFileA(path.c_str()); }
};

// The library's GUID is the last line while the registration waits.
const std::string kWaitingAt = "   CLSID: {6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B00}\r\n";
const std::string kEnd = kWaitingAt + "   Register Component: OK\r\n";

std::string SlowScript(const Sandbox& sandbox) {
  WriteFile(sandbox.Path("slow.tarninfo"),
            "AppName=Slow\r\nActiveXComponent=" + options().fixtures +
                "\\tarn_com_slow.dll\r\nAppName=After\r\n");
  return Quoted(sandbox.Path("slow.tarninfo"));
}

// The window on the slow script: its start-up run let through, then its second run (Get Info)
// held in the registration.
struct HeldWindowRun {
  explicit HeldWindowRun(const char* name)
      : sandbox(name), gate(true), tool(sandbox.Run("tarninfo.exe", SlowScript(sandbox))) {
    tool.WaitForWindowWithoutBoxes();
    first_run = ReadFile(sandbox.LogPath());
    gate.Close();
    tool.Click(IDC_CMD_GET_INFO);
    held = WaitUntil([&] { return tool.LogText().ends_with(kWaitingAt); });
  }
  Sandbox sandbox;
  RegistrationGate gate;
  RunningTool tool;
  std::optional<std::string> first_run;  // the log file as the start-up's run left it
  bool held = false;
};

TEST(Stop, TheWindowsExitDuringARegistrationEndsTheRunAfterItsItemAndSavesTheLog) {
  HeldWindowRun run("stop-window");
  RunningTool& tool = run.tool;
  ASSERT_TRUE(run.held && run.first_run) << tool.LogText();

  // The deadline is only for a machine under load: the wait ends its slice for any message.
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(::SendMessageTimeoutA(tool.main_window(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored))
      << "no answer during the wait";
  HWND pane = tool.Control(IDC_TXT_LOG);
  ::RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_TRUE(WaitUntil([&] { return !::GetUpdateRect(pane, nullptr, FALSE); }, 5000))
      << "the pane was not repainted";
  // Open and Get Info are refused at once; Exit is kept for the run's end.
  for (int command : {IDC_CMD_OPEN, IDC_CMD_GET_INFO, IDC_CMD_EXIT})
    tool.Command(tool.main_window(), command);
  EXPECT_EQ(::FindWindowA(TARN_FILE_DIALOG_CLASS, nullptr), nullptr);
  EXPECT_TRUE(tool.LogText().ends_with(kWaitingAt)) << "a command was taken during the wait";

  run.gate.Open();
  ASSERT_TRUE(tool.Ends()) << "the window did not close after the run";
  // The second save writes the whole pane again: the first run, then the second up to its stop,
  // nothing nested in it.
  const std::string log = ReadFile(run.sandbox.LogPath()).value_or("");
  auto count = [&](const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_TRUE(log.starts_with(*run.first_run) && log.ends_with(kEnd + "\r\n")) << log;
  EXPECT_EQ(count("Date/Time:  "), 3u) << log;
  EXPECT_EQ(count("Application name = After"), 2u) << log;
}

// The log-off's two messages to the main window, each of which must be answered as Windows
// expects; Windows ends the program once WM_ENDSESSION is answered, so what must be saved is
// saved by then.
void LogOff(const RunningTool& tool) {
  auto send = [&](UINT message, WPARAM wparam) -> std::optional<DWORD_PTR> {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(tool.main_window(), message, wparam, ENDSESSION_LOGOFF, SMTO_NORMAL,
                               10000, &answer))
      return std::nullopt;
    return answer;
  };
  EXPECT_EQ(send(WM_QUERYENDSESSION, 0), DWORD_PTR{TRUE}) << "the log-off was refused";
  EXPECT_EQ(send(WM_ENDSESSION, TRUE), DWORD_PTR{0}) << "the log-off was not answered";
}

TEST(Stop, ALogOffDuringARegistrationSavesTheLogBeforeTheProgramIsEndedAndOnceOnly) {
  HeldWindowRun run("stop-log-off");
  RunningTool& tool = run.tool;
  ASSERT_TRUE(run.held && run.first_run) << tool.LogText();
  LogOff(tool);
  const std::string saved = *run.first_run + tool.LogText() + "\r\n";
  EXPECT_TRUE(saved.ends_with(kWaitingAt + "\r\n")) << "the run went on: " << saved;
  EXPECT_EQ(ReadFile(run.sandbox.LogPath()), saved);

  // Wine does not end the program: the run stops after its item as after Exit, and saves no more.
  run.gate.Open();
  ASSERT_TRUE(tool.Ends()) << "the window did not close after the run";
  EXPECT_EQ(ReadFile(run.sandbox.LogPath()), saved) << "saved again";
}

// The same during the start-up's run, while the window is still hidden: the rest of the item
// reaches no pane, and the program still ends as it should.
TEST(Stop, ALogOffDuringTheStartUpsRunSavesTheLogAndTheProgramEndsNormally) {
  Sandbox sandbox("stop-log-off-start");
  RegistrationGate gate;
  RunningTool tool(sandbox.Run("tarninfo.exe", SlowScript(sandbox)));
  ASSERT_TRUE(tool.FindMainWindow()) << "no main window";
  ASSERT_TRUE(WaitUntil([&] { return tool.LogText().ends_with(kWaitingAt); })) << tool.LogText();
  LogOff(tool);
  const std::string saved = tool.LogText() + "\r\n";
  EXPECT_EQ(ReadFile(sandbox.LogPath()), saved);
  gate.Open();
  EXPECT_EQ(tool.Wait(), 0u) << "the program did not end normally";
  EXPECT_EQ(ReadFile(sandbox.LogPath()), saved) << "saved again";
}

// A log-off while the box of the run's own failed save is open: a failed save is not tried
// again, so no second box comes, and the program ends once the box is answered.
TEST(Stop, ALogOffWhileAFailedSaveIsReportedTriesNoSecondSave) {
  Sandbox sandbox("stop-log-off-box");
  WriteFile(sandbox.LogPath(), "kept\r\n");
  HANDLE lock = ::CreateFileA(sandbox.LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  WriteFile(sandbox.Path("a.tarninfo"), "AppName=Locked\r\n");
  RunningTool tool(sandbox.Run("tarninfo.exe", Quoted(sandbox.Path("a.tarninfo"))));
  const std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow();
  ASSERT_TRUE(box && box->text.starts_with("[frmMain.SaveLog] ")) << "no box of the failed save";
  ASSERT_TRUE(tool.FindMainWindow()) << "no main window";
  LogOff(tool);
  ASSERT_EQ(tool.CountWindows("#32770"), 1) << "the save was tried again";
  tool.Press(box->hwnd, IDOK);
  EXPECT_EQ(tool.Wait(30000), 0u) << "the program did not end after the box";
  ::CloseHandle(lock);
  EXPECT_EQ(ReadFile(sandbox.LogPath()), "kept\r\n");
}

TEST(Stop, CtrlCDuringARegistrationEndsTheRunAfterItsItemSavesTheLogAndExitsWithThree) {
  Sandbox sandbox("stop-console");
  RegistrationGate gate;
  Child console(sandbox.Run("tarninfoc.exe", SlowScript(sandbox)), sandbox.Path("tarninfoc"));
  ASSERT_TRUE(WaitUntil([&] { return console.Output().ends_with(kWaitingAt); }))
      << console.Output();
  // tarninfoc says when it has taken the key; the registration is still held until then.
  Child press(Quoted(options().fixtures + "\\ctrl_c.exe") + " " +
              std::to_string(console.process_id()));
  ASSERT_EQ(press.Wait(), 0u) << "Ctrl+C could not be pressed in tarninfoc's console";
  ASSERT_TRUE(WaitUntil([&] {
    return console.Errors() == "tarninfoc: stopping after the current item\r\n";
  })) << console.Errors();
  EXPECT_TRUE(console.Output().ends_with(kWaitingAt)) << "the stop did not wait for the item";
  gate.Open();
  EXPECT_EQ(console.Wait(), 3u);
  // The item under way ends; nothing after it runs, and no closing entry follows.
  EXPECT_TRUE(console.Output().ends_with(kEnd)) << console.Output();
  EXPECT_EQ(ReadFile(sandbox.LogPath()), console.Output() + "\r\n");
}

// Whatever has come through the pipe is added to `out`; false once the pipe is empty and its
// writing end closed.
bool TakeOutput(HANDLE pipe, std::string& out) {
  DWORD available = 0;
  if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
  std::string chunk(available, '\0');
  DWORD read = 0;
  if (available > 0 && ::ReadFile(pipe, chunk.data(), available, &read, nullptr))
    out.append(chunk, 0, read);
  return true;
}

// The RegSvr32 that the process started, while it runs; null when none.
HANDLE StartedRegSvr32(DWORD parent) {
  return testing::StartedProcess(parent, "regsvr32.exe");
}

// Whoever started tarninfoc with its output into a pipe reads until the pipe closes: tarninfoc
// ended by force during a registration must not leave the pipe open through its RegSvr32.
TEST(Stop, TarninfocEndedDuringARegistrationLeavesItsOutputPipeToBeClosed) {
  Sandbox sandbox("stop-pipe");
  RegistrationGate gate;
  HANDLE read = nullptr, write = nullptr;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ASSERT_TRUE(::CreatePipe(&read, &write, &inherit, 0));
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  Child console(sandbox.Run("tarninfoc.exe", SlowScript(sandbox)), write);
  // The test's own writing end goes before any other program could inherit it.
  ::CloseHandle(write);
  std::string out;
  EXPECT_TRUE(WaitUntil([&] { return TakeOutput(read, out) && out.ends_with(kWaitingAt); })) << out;
  HANDLE regsvr32 = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (regsvr32 = StartedRegSvr32(console.process_id())); }))
      << "no registration under way";
  ::TerminateProcess(console.process(), 9);
  EXPECT_TRUE(console.Ends());
  EXPECT_TRUE(WaitUntil([&] { return !TakeOutput(read, out); }, 10000))
      << "the pipe stayed open after tarninfoc ended";
  // RegSvr32 ends once its registration may go on, and no program is left holding anything.
  gate.Open();
  if (regsvr32) {
    EXPECT_EQ(::WaitForSingleObject(regsvr32, 60000), WAIT_OBJECT_0);
  }
  for (HANDLE handle : {regsvr32, read})
    if (handle) ::CloseHandle(handle);
}

// The whole text of the console that this process is attached to, row after row, so that a line
// longer than a row reads on into the next.
std::wstring ConsoleText() {
  std::wstring text;
  HANDLE screen =
      ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(screen, &info)) {
    text.resize(static_cast<std::size_t>(info.dwSize.X) * static_cast<std::size_t>(info.dwSize.Y));
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                  &read);
    text.resize(read);
  }
  if (screen != INVALID_HANDLE_VALUE) ::CloseHandle(screen);
  return text;
}

// A path with letters beyond ASCII, as tarninfoc's own console shows it, in the report and in the
// JSON report. The test shares the console from the start, while the gate holds tarninfoc, so
// that it can still read the console once tarninfoc has ended.
TEST(Consoles, TarninfocsOwnConsoleShowsAPathBeyondAsciiAsItIs) {
  Sandbox sandbox("console-text");
  const std::wstring folder = L"Caf\u00e9 M\u00fcller";
  char narrow[64] = "";
  ::WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
  WriteFile(sandbox.Path("text.tarninfo"), "File=" + sandbox.Path(narrow) +
                                               "\\report.txt\r\nActiveXComponent=" +
                                               options().fixtures + "\\tarn_com_slow.dll\r\n");
  ::FreeConsole();  // a process has one console at most
  for (const std::string args : {"", "/json /nolog "}) {
    RegistrationGate gate;
    Child console(sandbox.Run("tarninfoc.exe", args + Quoted(sandbox.Path("text.tarninfo"))), {},
                  true);
    ASSERT_TRUE(WaitUntil([&] { return ::AttachConsole(console.process_id()); })) << args;
    gate.Open();
    EXPECT_TRUE(console.Ends()) << args;
    const std::wstring text = ConsoleText();
    ::FreeConsole();
    EXPECT_NE(text.find(folder + L"\\"), std::wstring::npos) << args << text;
  }
}

// A registration that never ends, as one whose component shows a dialog in a session nobody sees,
// here a program that it started and waits for: at the time limit tarninfoc ends RegSvr32 and
// that program, and goes on with the next line.
TEST(Stop, TarninfocEndsARegSvr32AndWhatItStartedAtItsTimeLimitAndGoesOn) {
  Sandbox sandbox("time-limit");
  WriteFile(sandbox.Path("hangs.tarninfo"),
            "ActiveXComponent=" + options().fixtures + "\\tarn_com_hangs.dll\r\nAppName=After\r\n");
  Child console(
      sandbox.Run("tarninfoc.exe", "/timeout:5 " + Quoted(sandbox.Path("hangs.tarninfo"))),
      sandbox.Path("tarninfoc"));
  HANDLE regsvr32 = nullptr, started = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    if (!regsvr32) regsvr32 = StartedRegSvr32(console.process_id());
    return regsvr32 && (started = testing::StartedProcess(::GetProcessId(regsvr32), "child.exe"));
  })) << "no registration under way";
  EXPECT_EQ(console.Wait(), 1u);
  EXPECT_TRUE(
      console.Output().ends_with("   Register Component: ERROR - Cannot register\r\n"
                                 "Application name = After\r\n\r\n"))
      << console.Output();
  for (HANDLE left : {regsvr32, started}) {
    if (!left) continue;
    EXPECT_EQ(::WaitForSingleObject(left, 0), WAIT_OBJECT_0) << "a program is left running";
    ::TerminateProcess(left, 9);
    ::CloseHandle(left);
  }
}

}  // namespace
}  // namespace tarn::e2e
