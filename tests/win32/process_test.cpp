// The process runner with a real program and the real main window: what the window shows and
// handles while it waits, up to the program's end.
#include <windows.h>

#include <gtest/gtest.h>
#include <utility>

#include "services/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/process_runner.h"
#include "ui/main_window.h"
#include "ui/resource.h"
#include "win32/started_process.h"

namespace tarn::win32 {
namespace {

std::string Child(const std::string& arguments) {
  std::string line(1, '"');
  line += CombinePath(GetFilePathOnly(ExePath()), "fixtures\\child.exe");
  return line + "\" " + arguments;
}

// What a timer callback, run by the window's pump during the wait, sees.
struct DuringTheWait {
  HWND window = nullptr, control = nullptr;
  bool ran = false;
  HCURSOR at_start = nullptr, over_window = nullptr, over_control = nullptr;
} seen;

void CALLBACK LookDuringTheWait(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  seen.ran = true;
  seen.at_start = ::GetCursor();
  const LPARAM mouse_move = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  ::SendMessageA(seen.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(seen.window), mouse_move);
  seen.over_window = ::GetCursor();
  ::SendMessageA(seen.control, WM_SETCURSOR, reinterpret_cast<WPARAM>(seen.control), mouse_move);
  seen.over_control = ::GetCursor();
}

TEST(RunAndWait, KeepsTheHourglassOverTheWindowWhileItsEventsRunThenTheEarlierPointer) {
  MainWindow window;
  ASSERT_TRUE(window.Create(::GetModuleHandleA(nullptr)));
  window.Show(SW_SHOWNORMAL);
  seen = {window.hwnd(), ::GetDlgItem(window.hwnd(), IDC_TXT_LOG)};
  const HCURSOR earlier = ::LoadCursorA(nullptr, IDC_CROSS);
  ::SetCursor(earlier);
  ::SetTimer(nullptr, 0, 1, LookDuringTheWait);
  ::PostQuitMessage(7);

  const ProgramEnd end = window.RunAndWait(Child("0 1500"));
  EXPECT_EQ(end.kind, ProgramEnd::Kind::kExited);
  EXPECT_EQ(end.exit_code, 0);
  const HCURSOR hourglass = ::LoadCursorA(nullptr, IDC_WAIT);
  EXPECT_TRUE(seen.ran) << "no event was handled during the wait";
  EXPECT_EQ(seen.at_start, hourglass);
  EXPECT_EQ(seen.over_window, hourglass);
  EXPECT_EQ(seen.over_control, hourglass) << "the log pane showed its own pointer";
  EXPECT_EQ(::GetCursor(), earlier);
  // A quit taken off the queue during the wait is there again for the program's own loop.
  MSG quit{};
  EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
}

// At its first call a message arrives, and the program ends before the runner waits again.
class MessageBeforeTheEnd final : public EventPump {
 public:
  static constexpr UINT kLate = WM_APP + 7;
  explicit MessageBeforeTheEnd(HANDLE gate) : gate_(gate) {}
  void HandlePendingEvents() override {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      if (message.message == kLate) late_handled = true;
    if (std::exchange(first_, false)) {
      HANDLE child = testing::StartedProcess(::GetCurrentProcessId(), "child.exe");
      ::PostThreadMessageA(::GetCurrentThreadId(), kLate, 0, 0);
      ::SetEvent(gate_);
      if (child) {
        ended = ::WaitForSingleObject(child, 30000) == WAIT_OBJECT_0;
        ::CloseHandle(child);
      }
    }
  }
  bool late_handled = false, ended = false;

 private:
  HANDLE gate_;
  bool first_ = true;
};

// An Exit clicked just before the program's end is the window's to handle within the run.
TEST(RunAndWait, HandlesTheEventsThatCameBeforeTheProgramsEndWithinTheWait) {
  const std::string name = "tarn-child-gate-" + std::to_string(::GetCurrentProcessId());
  HANDLE gate = ::CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  ASSERT_NE(gate, nullptr);
  MessageBeforeTheEnd pump(gate);
  const ProgramEnd end = RunAndWait(Child("5 gate:" + name), pump,
                                    {.creation_flags = 0, .program = {}, .time_limit_ms = 0});
  ::CloseHandle(gate);
  ASSERT_TRUE(pump.ended) << "the program did not end while the pump held the wait";
  EXPECT_EQ(end.kind, ProgramEnd::Kind::kExited);
  EXPECT_EQ(end.exit_code, 5);
  EXPECT_TRUE(pump.late_handled) << "the message was left for after the wait";
  MSG left;
  ::PeekMessageA(&left, nullptr, MessageBeforeTheEnd::kLate, MessageBeforeTheEnd::kLate, PM_REMOVE);
}

}  // namespace
}  // namespace tarn::win32
