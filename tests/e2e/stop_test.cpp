// A run stopped while RegSvr32 registers the slow fixture, in the ways a user stops one: the
// window's Exit, a log-off, and tarninfoc's Ctrl+C. Either way the item under way ends, nothing
// after it runs, and the log is saved; the window answers and refuses a second run meanwhile.
#include <windows.h>

#include "e2e/driver.h"

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

TEST(Stop, ALogOffDuringARegistrationSavesTheLogBeforeTheProgramIsEndedAndOnceOnly) {
  HeldWindowRun run("stop-log-off");
  RunningTool& tool = run.tool;
  ASSERT_TRUE(run.held && run.first_run) << tool.LogText();
  // Windows ends the program once WM_ENDSESSION is answered: the log must be saved by then.
  auto send = [&](UINT message, WPARAM wparam) -> std::optional<DWORD_PTR> {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(tool.main_window(), message, wparam, ENDSESSION_LOGOFF, SMTO_NORMAL,
                               10000, &answer))
      return std::nullopt;
    return answer;
  };
  EXPECT_EQ(send(WM_QUERYENDSESSION, 0), DWORD_PTR{TRUE}) << "the log-off was refused";
  EXPECT_EQ(send(WM_ENDSESSION, TRUE), DWORD_PTR{0}) << "the log-off was not answered";
  const std::string saved = *run.first_run + tool.LogText() + "\r\n";
  EXPECT_TRUE(saved.ends_with(kWaitingAt + "\r\n")) << "the run went on: " << saved;
  EXPECT_EQ(ReadFile(run.sandbox.LogPath()), saved);

  // Wine does not end the program: the run stops after its item as after Exit, and saves no more.
  run.gate.Open();
  ASSERT_TRUE(tool.Ends()) << "the window did not close after the run";
  EXPECT_EQ(ReadFile(run.sandbox.LogPath()), saved) << "saved again";
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

}  // namespace
}  // namespace tarn::e2e
