// The real program's main window and file dialog, driven from this process as a user would: the
// layout's rules on this screen, the clipboard, the keyboard and every way through the dialog.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "e2e/driver.h"
#include "e2e/expected.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

constexpr char kScript[] = "AppName=Shown\r\nFile=C:\\no-such-file.dll\r\n";

// Twips per pixel, and the screen's size in pixels.
struct Screen {
  double tx, ty;
  int width, height;
  static Screen Now() {
    HDC dc = ::GetDC(nullptr);
    Screen s{1440.0 / ::GetDeviceCaps(dc, LOGPIXELSX), 1440.0 / ::GetDeviceCaps(dc, LOGPIXELSY),
             ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::ReleaseDC(nullptr, dc);
    return s;
  }
};

// A control's edges in twips of its parent's inner area.
struct Edges {
  double left, top, right, bottom;
  double width() const { return right - left; }
  double height() const { return bottom - top; }
};

// The rules of the main window's layout that do not hold now, measured on the screen.
Lines BrokenLayoutRules(const RunningTool& tool) {
  const Screen s = Screen::Now();
  RECT inner{};
  ::GetClientRect(tool.main_window(), &inner);
  const double width = inner.right * s.tx, height = inner.bottom * s.ty;
  auto at = [&](int id) {
    RECT r{};
    ::GetWindowRect(tool.Control(id), &r);
    ::MapWindowPoints(HWND_DESKTOP, tool.main_window(), reinterpret_cast<POINT*>(&r), 2);
    return Edges{r.left * s.tx, r.top * s.ty, r.right * s.tx, r.bottom * s.ty};
  };
  const Edges items_label = at(IDC_LBL_ITEMS), list = at(IDC_LST_ITEMS), label = at(IDC_LBL_LOG),
              log = at(IDC_TXT_LOG), open = at(IDC_CMD_OPEN), get_info = at(IDC_CMD_GET_INFO),
              exit = at(IDC_CMD_EXIT);
  auto x = [&](double a, double b) { return std::abs(a - b) <= s.tx + 0.01; };  // a pixel
  auto y = [&](double a, double b) { return std::abs(a - b) <= s.ty + 0.01; };
  const double line = ::SendMessageA(tool.Control(IDC_LST_ITEMS), LB_GETITEMHEIGHT, 0, 0) * s.ty;
  bool inside = true, buttons = true;
  for (const Edges& e : {items_label, list, label, log, open, get_info, exit})
    inside =
        inside && e.left >= 0 && e.top >= 0 && e.right <= width + s.tx && e.bottom <= height + s.ty;
  for (const Edges& b : {open, get_info, exit})
    buttons = buttons && x(b.right, width - 120) && x(b.width(), 1215) && y(b.height(), 495);
  const std::pair<bool, const char*> rules[] = {
      {inside, "every control inside the window"},
      {x(items_label.left, 120) && y(items_label.top, 120) && x(items_label.width(), 420) &&
           y(items_label.height(), 195) && x(list.left, 120) && y(list.top, 360),
       "the Items label and the list's corner as designed"},
      {x(label.left, 120) && x(log.left, 120), "a left margin of 120"},
      {buttons, "the buttons at the right margin of 120, at their design size"},
      {y(open.top, list.top) && y(get_info.top, open.bottom + 240) &&
           y(exit.top, get_info.bottom + 240),
       "Open level with the list, then Get Info and Exit, 240 apart"},
      {x(open.left - list.right, 120) && x(log.right, list.right),
       "the list and the pane end 120 before the buttons"},
      {y(label.top, list.bottom + 120) && x(label.width(), 315) && y(label.height(), 195),
       "the Log label 120 below the list, at its design size"},
      {y(log.top, label.bottom + 60) && y(log.bottom, height - 120),
       "the pane 60 below its label, 120 above the bottom"},
      {std::abs(list.height() - log.height()) <= 200 + line,
       "the list and the pane share the height about equally"},
  };
  Lines broken;
  for (const auto& [holds, rule] : rules)
    if (!holds) broken.push_back(rule);
  return broken;
}

// The layout once it has settled.
void ExpectLayout(const RunningTool& tool, const std::string& when) {
  WaitUntil([&] { return BrokenLayoutRules(tool).empty(); }, 5000);
  EXPECT_EQ(BrokenLayoutRules(tool), Lines{}) << when;
}

RECT WindowPlace(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

std::vector<int> ChildIds(HWND parent) {
  std::vector<int> ids;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    ids.push_back(::GetDlgCtrlID(c));
  return ids;
}

TEST(WindowLayout, OpensAtFourFifthsOfTheScreenCentredAndKeepsItsRulesAndMinimum) {
  const Screen s = Screen::Now();
  Sandbox sandbox("window-layout");
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(""));
  tool.WaitForWindowWithoutBoxes();
  HWND main = tool.main_window();
  const std::string screen = std::to_string(s.width) + "x" + std::to_string(s.height) + " at " +
                             std::to_string(std::lround(1440 / s.tx)) + " dpi";
  EXPECT_EQ(ChildIds(main),
            (std::vector<int>{IDC_LST_ITEMS, IDC_LBL_ITEMS, IDC_CMD_GET_INFO, IDC_CMD_EXIT,
                              IDC_LBL_LOG, IDC_TXT_LOG, IDC_CMD_OPEN}))
      << "the tab order";

  // Four fifths of the screen, centred on it; each dimension raised on its own to its minimum
  // of 9600 by 7200 twips, first as it opens, then as the user sizes it.
  const int min_width = static_cast<int>(std::lround(9600 / s.tx));
  const int min_height = static_cast<int>(std::lround(7200 / s.ty));
  const double width = s.width * 0.8, height = s.height * 0.8;
  const RECT opened = WindowPlace(main);
  EXPECT_NEAR(opened.left, (s.width - width) / 2, 1) << screen;
  EXPECT_NEAR(opened.top, (s.height - height) / 2, 1) << screen;
  EXPECT_NEAR(opened.right - opened.left, std::max<double>(width, min_width), 1) << screen;
  EXPECT_NEAR(opened.bottom - opened.top, std::max<double>(height, min_height), 1) << screen;
  ExpectLayout(tool, screen + ", opened");
  const int wide = std::max(min_width, std::min(min_width + 50, s.width));
  const int tall = std::max(min_height, std::min(min_height + 40, s.height));
  const std::array<int, 4> sizes[] = {{min_width / 2, tall, min_width, tall},
                                      {wide, min_height / 3, wide, min_height},
                                      {wide, tall, wide, tall}};
  for (const auto& [asked_width, asked_height, given_width, given_height] : sizes) {
    ::SetWindowPos(main, nullptr, 10, 10, asked_width, asked_height, SWP_NOZORDER | SWP_NOACTIVATE);
    const std::string what =
        screen + ", sized " + std::to_string(asked_width) + "x" + std::to_string(asked_height);
    EXPECT_TRUE(WaitUntil([&] {
      const RECT r = WindowPlace(main);
      return r.left == 10 && r.right - r.left == given_width && r.bottom - r.top == given_height;
    })) << what;
    ExpectLayout(tool, what);
  }

  EXPECT_TRUE(tool.Close());
}

TEST(WindowCommands, TheKeyboardReachesEveryCommandAndCopyTakesExactlyThePaneOrItsSelection) {
  Sandbox sandbox("window-keys");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(""));
  tool.WaitForWindowWithoutBoxes();
  HWND open = tool.Control(IDC_CMD_OPEN), log = tool.Control(IDC_TXT_LOG);
  // The keys reach the window only once it is active.
  EXPECT_TRUE(WaitUntil([&] { return tool.Focus() == open; })) << "Open has the focus at start";

  // Ctrl+O and Alt+O open the file dialog; Esc cancels it.
  auto open_dialog = [&](std::initializer_list<WORD> keys) {
    tool.PressKeys(keys);
    HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
    EXPECT_NE(dialog, nullptr) << "key " << *keys.begin();
    return dialog;
  };
  auto cancel = [&](HWND dialog) {
    tool.PressKeys({VK_ESCAPE}, dialog);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "Esc";
  };
  cancel(open_dialog({VK_CONTROL, 'O'}));

  // Enter in the dialog takes the first file (OK is its default button), then Alt+G runs it.
  tool.PressKeys({VK_RETURN}, open_dialog({VK_MENU, 'O'}));
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
    return ::GetClipboardSequenceNumber() != before_copy && ::GetOpenClipboardWindow() == nullptr &&
           ::IsClipboardFormatAvailable(CF_TEXT);
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

TEST(WindowCommands, AReportOfSeveralMegabytesStaysWholeInThePaneAndTheFile) {
  Sandbox sandbox("large-report");
  const std::string name(300, 'n');
  std::string script;
  for (int i = 0; i < 12000; ++i) script += "AppName=" + std::to_string(i) + name + "\r\n";
  WriteFile(sandbox.Path("big.tarninfo"), script);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("big.tarninfo")));
  tool.WaitForWindowWithoutBoxes();
  const std::string pane = tool.LogText();
  EXPECT_GT(pane.size(), 12000u * 300u);
  EXPECT_NE(pane.find("Application name = 11999" + name + "\r\n\r\n"), std::string::npos);
  EXPECT_TRUE(ReadFile(sandbox.LogPath()) == pane + "\r\n") << "the log file is not the pane";
  EXPECT_TRUE(tool.Close());
}

// One step of a user in the file dialog: the entry of a list ending with `entry` selected and
// notified with `code`, or a button pressed (no entry), or the close box (no control); then the
// file list, the selected folder and whether the folder list stayed, where given.
struct Step {
  int id;
  const char* entry = nullptr;
  int code = BN_CLICKED;
  std::optional<Lines> files = {};
  std::string folder = {};
  bool folders_stay = false;
};

TEST(FileDialog, EveryWayThroughTheDialogLoadsTheChosenFileOrNothing) {
  Sandbox sandbox("file-dialog");
  for (const char* folder : {"empty", "Nested", ".git"})
    ::CreateDirectoryA(sandbox.Path(folder).c_str(), nullptr);
  ::SetFileAttributesA(sandbox.Path(".git").c_str(), FILE_ATTRIBUTE_HIDDEN);
  for (const char* file :
       {"a", "B", "Nested\\deep", "notes.txt", "old.tarninfo.bak", "C.tarninfo2", "empty\\x.txt"})
    WriteFile(sandbox.Path(file) + (std::strchr(file, '.') ? "" : ".tarninfo"),
              std::string("AppName=") + (std::strrchr(file, '\\') ? "Deep" : file) + "\r\n");
  const std::string root_file = "C:\\tarn-e2e-root.tarninfo";
  WriteFile(root_file, "AppName=Root\r\n");
  WriteFile(sandbox.Path("start.info"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("start.info")));
  tool.WaitForWindowWithoutBoxes();
  const Lines unchanged{"AppName=Shown", "File=C:\\no-such-file.dll"};
  const std::string nested = sandbox.Path("Nested");
  const struct {
    const char* what;
    std::vector<Step> steps;
    Lines items;  // the item list afterwards
  } cases[] = {
      {"Cancel", {{IDC_CMD_CANCEL}}, unchanged},
      {"the close box", {{0}}, unchanged},
      {"OK on a folder without info files",
       {{IDC_DIR_FOLDERS, "\\empty", LBN_DBLCLK, Lines{}, sandbox.Path("empty")}, {IDC_CMD_OK}},
       unchanged},
      {"OK without a selection", {{IDC_CMD_OK}}, {"AppName=a"}},
      {"a file double-clicked", {{IDC_FIL_FILES, "B.tarninfo", LBN_DBLCLK}}, {"AppName=B"}},
      {"a subfolder double-clicked, then OK",
       {{IDC_DIR_FOLDERS, "\\Nested", LBN_DBLCLK, Lines{"deep.tarninfo"}, nested}, {IDC_CMD_OK}},
       {"AppName=Deep"}},
      {"a subfolder clicked once: the files follow, the folder stays",
       {{IDC_DIR_FOLDERS, "\\Nested", LBN_SELCHANGE, Lines{"deep.tarninfo"}, "", true},
        {IDC_CMD_OK}},
       {"AppName=Deep"}},
      {"a file in a drive's root",
       {{IDC_DRV_DRIVE, "c:", CBN_SELCHANGE},
        {IDC_DIR_FOLDERS, "C:\\", LBN_DBLCLK, std::nullopt, "C:\\"},
        {IDC_FIL_FILES, "tarn-e2e-root.tarninfo", LBN_DBLCLK}},
       {"AppName=Root"}},
  };
  for (const auto& c : cases) {
    tool.Click(IDC_CMD_OPEN);
    HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
    ASSERT_NE(dialog, nullptr) << c.what;
    // As it opens, every time afresh: its title, the program's folder with its subfolders in
    // case-blind order (the hidden one left out), drive c:, only info files.
    EXPECT_EQ(WindowText(dialog), "Select Program Files Location");
    HWND folders = ::GetDlgItem(dialog, IDC_DIR_FOLDERS),
         files = ::GetDlgItem(dialog, IDC_FIL_FILES);
    const Lines entries = ListTexts(folders);
    EXPECT_EQ(SelectedText(folders), sandbox.dir());
    const auto here = std::find(entries.begin(), entries.end(), sandbox.dir());
    EXPECT_EQ(Lines(here + (here != entries.end()), entries.end()),
              (Lines{sandbox.Path("empty"), nested}));
    EXPECT_EQ(SelectedText(::GetDlgItem(dialog, IDC_DRV_DRIVE), true), "c:");
    EXPECT_EQ(ListTexts(files), (Lines{"a.tarninfo", "B.tarninfo"}));
    for (const Step& step : c.steps) {
      if (step.id == 0) {
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (step.entry) {
        HWND list = ::GetDlgItem(dialog, step.id);
        const bool combo = step.id == IDC_DRV_DRIVE;
        const Lines texts = ListTexts(list, combo);
        const std::string entry = step.entry;
        const auto at = std::find_if(texts.begin(), texts.end(),
                                     [&](const std::string& t) { return EndsWith(t, entry); });
        ASSERT_NE(at, texts.end()) << entry << " is not listed";
        ::SendMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, at - texts.begin(), 0);
      }
      if (step.id != 0) tool.Command(dialog, step.id, step.code);
      // Only where the dialog is still up: the last step closes it.
      if (step.files) {
        EXPECT_EQ(ListTexts(files), *step.files) << c.what;
      }
      if (!step.folder.empty()) {
        EXPECT_EQ(SelectedText(folders), step.folder) << c.what;
      }
      if (step.folders_stay) {
        EXPECT_EQ(ListTexts(folders), entries) << c.what;
      }
    }
    // The modal loop ends a little after the dialog is hidden; the file is loaded after it.
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << c.what;
    WaitUntil([&] { return tool.Items() == c.items && tool.LogText().empty(); });
    EXPECT_EQ(tool.Items(), c.items) << c.what;
    EXPECT_EQ(tool.LogText(), "") << c.what;
    EXPECT_TRUE(tool.IsEnabled(IDC_CMD_GET_INFO)) << c.what;
  }
  ::DeleteFileA(root_file.c_str());
  EXPECT_TRUE(tool.Close());
}

}  // namespace
}  // namespace tarn::e2e
