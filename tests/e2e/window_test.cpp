// What only the window shows, seen as its user sees it: the layout on this screen, the keys and
// the clipboard, a report of several megabytes, and the ways through the file dialog.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "e2e/driver.h"

namespace tarn::e2e {
namespace {

// Pixels as the screen has them, as the tool's, before any window is measured.
const bool kDpiAware = ::SetProcessDPIAware();

constexpr char kScript[] = "AppName=Shown\r\nFile=C:\\no-such-file.dll\r\n";

// Twips in a pixel, across and down.
std::pair<double, double> Twips() {
  HDC dc = ::GetDC(nullptr);
  const std::pair<double, double> twips{1440.0 / ::GetDeviceCaps(dc, LOGPIXELSX),
                                        1440.0 / ::GetDeviceCaps(dc, LOGPIXELSY)};
  ::ReleaseDC(nullptr, dc);
  return twips;
}

// The rules of the window's layout that do not hold now: every control inside the window, none
// over another, and a margin of 120 twips on every side of them.
Lines BrokenLayoutRules(HWND window) {
  const auto [tx, ty] = Twips();
  RECT inner{}, all{LONG_MAX, LONG_MAX, 0, 0}, overlap{};
  ::GetClientRect(window, &inner);
  std::vector<RECT> controls;
  for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(c, &r);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    for (const RECT& other : controls)
      if (::IntersectRect(&overlap, &r, &other)) return {"no control over another"};
    controls.push_back(r);
    ::UnionRect(&all, &all, &r);
  }
  auto margin = [](double pixels, double twips, double per_pixel) {
    return std::abs(pixels * per_pixel - twips) <= per_pixel + 0.01;
  };
  Lines broken;
  if (controls.size() != 7) broken.push_back("seven controls");
  if (!margin(all.left, 120, tx) || !margin(inner.right - all.right, 120, tx))
    broken.push_back("side margins");
  if (!margin(all.top, 120, ty) || !margin(inner.bottom - all.bottom, 120, ty))
    broken.push_back("top and bottom margins");
  return broken;
}

RECT WindowPlace(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

TEST(Window, OpensAtFourFifthsOfTheScreenCentredAndKeepsItsLayoutAndMinimumSize) {
  Sandbox sandbox("window-layout");
  RunningTool tool(sandbox.Run("tarninfo.exe", ""));
  tool.WaitForWindowWithoutBoxes();
  HWND main = tool.main_window();
  const auto [tx, ty] = Twips();
  const int screen_width = ::GetSystemMetrics(SM_CXSCREEN),
            screen_height = ::GetSystemMetrics(SM_CYSCREEN);
  // Each dimension four fifths of the screen's, or the minimum of 9600 by 7200 twips.
  const int min_width = static_cast<int>(std::lround(9600 / tx));
  const int min_height = static_cast<int>(std::lround(7200 / ty));
  const double width = std::max(screen_width * 0.8, 9600 / tx),
               height = std::max(screen_height * 0.8, 7200 / ty);
  const RECT opened = WindowPlace(main);
  EXPECT_NEAR(opened.right - opened.left, width, 1);
  EXPECT_NEAR(opened.bottom - opened.top, height, 1);
  // Centred at four fifths, and not moved when raised to the minimum.
  EXPECT_NEAR(opened.left, screen_width / 10.0, 1);
  EXPECT_NEAR(opened.top, screen_height / 10.0, 1);
  // Sized below its minimum in one dimension, it keeps the minimum in that one alone.
  const int wide = std::min(min_width + 50, screen_width),
            tall = std::min(min_height + 40, screen_height);
  const std::array<int, 4> sizes[] = {{min_width / 2, tall, min_width, tall},
                                      {wide, min_height / 3, wide, min_height},
                                      {wide, tall, wide, tall}};
  EXPECT_TRUE(WaitUntil([&] { return BrokenLayoutRules(main).empty(); }, 5000));
  EXPECT_EQ(BrokenLayoutRules(main), Lines{}) << "opened";
  for (const auto& [asked_width, asked_height, width_given, height_given] : sizes) {
    ::SetWindowPos(main, nullptr, 10, 10, asked_width, asked_height, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] {
      const RECT r = WindowPlace(main);
      return r.right - r.left == width_given && r.bottom - r.top == height_given &&
             BrokenLayoutRules(main).empty();
    })) << "sized "
        << asked_width << "x" << asked_height;
    EXPECT_EQ(BrokenLayoutRules(main), Lines{}) << "sized " << asked_width << "x" << asked_height;
  }
  EXPECT_TRUE(tool.Close());
}

TEST(Window, TheKeysReachTheCommandsAndCopyTakesExactlyThePaneOrItsSelection) {
  Sandbox sandbox("window-keys");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.Run("tarninfo.exe", ""));
  tool.WaitForWindowWithoutBoxes();
  HWND log = tool.Control(IDC_TXT_LOG);
  // Ctrl+O opens the file dialog, where Enter takes the first file (OK is its default button).
  tool.PressKeys({VK_CONTROL, 'O'});
  HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
  ASSERT_NE(dialog, nullptr) << "Ctrl+O";
  tool.PressKeys({VK_RETURN}, dialog);
  const Lines expected{"AppName=Shown", "File=C:\\no-such-file.dll"};
  EXPECT_TRUE(WaitUntil([&] { return tool.Items() == expected; })) << "Enter in the dialog";
  tool.PressKeys({VK_MENU, 'G'});
  EXPECT_TRUE(WaitUntil([&] {
    return tool.LogText().find("Application name = Shown\r\n") != std::string::npos;
  })) << "Alt+G";
  ::SendMessageA(log, EM_SETSEL, 0, 10);
  // Watched without opening the clipboard, which would make the tool's copy fail as busy.
  const DWORD before_copy = ::GetClipboardSequenceNumber();
  tool.PressKeys({VK_CONTROL, 'C'});
  EXPECT_TRUE(WaitUntil([&] {
    return ::GetClipboardSequenceNumber() != before_copy && ::GetOpenClipboardWindow() == nullptr;
  })) << "Ctrl+C";
  EXPECT_EQ(ClipboardText(), tool.LogText().substr(0, 10)) << "Ctrl+C";
  // Copy All takes the whole pane, Copy the selection or, with none, clears the clipboard.
  auto copy = [&](int id) {
    tool.Command(tool.main_window(), id);
    return ClipboardText();
  };
  const std::string pane = tool.LogText();
  EXPECT_EQ(copy(IDM_EDIT_COPY_ALL), pane);
  ::SendMessageA(log, EM_SETSEL, 5, 25);
  EXPECT_EQ(copy(IDM_EDIT_COPY), pane.substr(5, 20));
  ::SendMessageA(log, EM_SETSEL, 7, 7);
  EXPECT_EQ(copy(IDM_EDIT_COPY), std::nullopt) << "nothing selected";
  tool.PressKeys({VK_MENU, 'X'});
  EXPECT_TRUE(tool.Ends()) << "Alt+X ends the program";
}

TEST(Window, AReportOfSeveralMegabytesStaysWholeInThePaneAndTheLogFile) {
  Sandbox sandbox("large-report");
  const std::string name(300, 'n');
  std::string script;
  for (int i = 0; i < 12000; ++i) script += "AppName=" + std::to_string(i) + name + "\r\n";
  WriteFile(sandbox.Path("big.tarninfo"), script);
  RunningTool tool(sandbox.Run("tarninfo.exe", Quoted(sandbox.Path("big.tarninfo"))));
  tool.WaitForWindowWithoutBoxes();
  const std::string pane = tool.LogText();
  EXPECT_NE(pane.find("Application name = 11999" + name + "\r\n\r\n"), std::string::npos);
  EXPECT_TRUE(ReadFile(sandbox.LogPath()) == pane + "\r\n") << "the log file is not the pane";
  EXPECT_TRUE(tool.Close());
}

TEST(Window, EveryWayThroughTheFileDialogLoadsTheChosenFileOrNothing) {
  Sandbox sandbox("file-dialog");
  for (const char* folder : {"empty", "Nested", ".git"})
    ::CreateDirectoryA(sandbox.Path(folder).c_str(), nullptr);
  ::SetFileAttributesA(sandbox.Path(".git").c_str(), FILE_ATTRIBUTE_HIDDEN);
  for (const char* file :
       {"a", "B", "Nested\\deep", "notes.txt", "old.tarninfo.bak", "C.tarninfo2"})
    WriteFile(sandbox.Path(file) + (std::strchr(file, '.') ? "" : ".tarninfo"),
              std::string("AppName=") + (std::strrchr(file, '\\') ? "Deep" : file) + "\r\n");
  WriteFile(sandbox.Path("start.info"), kScript);
  RunningTool tool(sandbox.Run("tarninfo.exe", Quoted(sandbox.Path("start.info"))));
  tool.WaitForWindowWithoutBoxes();
  const Lines unchanged{"AppName=Shown", "File=C:\\no-such-file.dll"};
  // Each way: an entry of a list (ending with the text given) double-clicked, or a button.
  const struct {
    const char* what;
    std::vector<std::pair<int, const char*>> steps;
    Lines items;  // the item list afterwards
  } ways[] = {
      {"Cancel", {{IDC_CMD_CANCEL, nullptr}}, unchanged},
      {"OK in a folder without info files",
       {{IDC_DIR_FOLDERS, "\\empty"}, {IDC_CMD_OK, nullptr}},
       unchanged},
      {"OK without a selection", {{IDC_CMD_OK, nullptr}}, {"AppName=a"}},
      {"a file double-clicked", {{IDC_FIL_FILES, "B.tarninfo"}}, {"AppName=B"}},
      {"a subfolder double-clicked, then OK",
       {{IDC_DIR_FOLDERS, "\\Nested"}, {IDC_CMD_OK, nullptr}},
       {"AppName=Deep"}},
  };
  for (const auto& way : ways) {
    tool.Click(IDC_CMD_OPEN);
    HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
    ASSERT_NE(dialog, nullptr) << way.what;
    // Every time afresh: the program's folder with its subfolders in case-blind order, the
    // hidden one left out, and only its info files.
    EXPECT_EQ(WindowText(dialog), "Select Program Files Location");
    const Lines folders = ListTexts(::GetDlgItem(dialog, IDC_DIR_FOLDERS));
    const auto here = std::find(folders.begin(), folders.end(), sandbox.dir());
    EXPECT_EQ(Lines(here + (here != folders.end()), folders.end()),
              (Lines{sandbox.Path("empty"), sandbox.Path("Nested")}));
    EXPECT_EQ(ListTexts(::GetDlgItem(dialog, IDC_FIL_FILES)), (Lines{"a.tarninfo", "B.tarninfo"}));
    for (const auto& [id, entry] : way.steps) {
      if (entry) {
        HWND list = ::GetDlgItem(dialog, id);
        const Lines texts = ListTexts(list);
        const auto at = std::find_if(texts.begin(), texts.end(),
                                     [&](const std::string& t) { return t.ends_with(entry); });
        ASSERT_NE(at, texts.end()) << entry << " is not listed";
        ::SendMessageW(list, LB_SETCURSEL, at - texts.begin(), 0);
      }
      tool.Command(dialog, id, entry ? LBN_DBLCLK : BN_CLICKED);
    }
    // The modal loop ends a little after the dialog is hidden; the file is loaded after it.
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog) && tool.Items() == way.items; }))
        << way.what;
    EXPECT_EQ(tool.Items(), way.items) << way.what;
    EXPECT_EQ(tool.LogText(), "") << way.what;
  }
  EXPECT_TRUE(tool.Close());
}

TEST(Window, ClosedByAnotherProgramWhileTheFileDialogIsOpenItEndsCleanly) {
  Sandbox sandbox("close-in-dialog");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.Run("tarninfo.exe", Quoted(sandbox.Path("a.tarninfo"))));
  tool.WaitForWindowWithoutBoxes();
  const std::optional<std::string> log = ReadFile(sandbox.LogPath());
  ASSERT_TRUE(log.has_value()) << "the start-up's run saved no log";
  tool.Click(IDC_CMD_OPEN);
  HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
  ASSERT_NE(dialog, nullptr);
  // A close from outside (taskkill, a log-off) goes to the main window, not to the dialog.
  ::PostMessageA(tool.main_window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(tool.Wait(30000), 0u);
  EXPECT_EQ(ReadFile(sandbox.LogPath()), log) << "the close is no run: the log file stays";
}

}  // namespace
}  // namespace tarn::e2e
