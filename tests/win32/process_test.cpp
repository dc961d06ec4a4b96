// The process runner with a real program and the real main window: what the window shows and
// handles while it waits.
#include <windows.h>

#include <gtest/gtest.h>

#include "services/paths.h"
#include "services/win32/desktop.h"
#include "ui/main_window.h"
#include "ui/resource.h"

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

  EXPECT_EQ(window.RunAndWait(Child("0 1500")), 0);
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

}  // namespace
}  // namespace tarn::win32
