// The main window and the file dialog of the real program, driven from this process: the places
// of the window and its controls, the clipboard, the keyboard and the file dialog.
#include <windows.h>

#include <cmath>
#include <gtest/gtest.h>

#include "e2e/driver.h"
#include "e2e/sandbox.h"
#include "services/texts.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

constexpr char kScript[] = "AppName=Shown\r\nFile=C:\\no-such-file.dll\r\n";

void RunToWindow(RunningTool& tool) {
  while (std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow()) {
    ADD_FAILURE() << "unexpected box: " << box->text;
    tool.Answer(*box);
  }
}

// Twips of the screen's real resolution, in pixels.
struct Screen {
  double twips_per_pixel_x, twips_per_pixel_y;
  int width, height;  // pixels
  static Screen Now() {
    HDC dc = ::GetDC(nullptr);
    Screen s{1440.0 / ::GetDeviceCaps(dc, LOGPIXELSX), 1440.0 / ::GetDeviceCaps(dc, LOGPIXELSY),
             ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::ReleaseDC(nullptr, dc);
    return s;
  }
};

RECT PlaceIn(HWND parent, HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every control where the layout puts it for the window's present inner size, within a pixel:
// each value follows from the design sizes in twips and the values read back before it.
void ExpectLayout(RunningTool& tool, const std::string& when) {
  const Screen s = Screen::Now();
  const double tx = s.twips_per_pixel_x, ty = s.twips_per_pixel_y;
  HWND main = tool.main_window();
  RECT inner{};
  ::GetClientRect(main, &inner);
  auto place = [&](int id) { return PlaceIn(main, tool.Control(id)); };
  const RECT list = place(IDC_LST_ITEMS);
  const RECT label = place(IDC_LBL_LOG);
  struct Expected {
    int id;
    double left, top, width, height;  // twips
  };
  const double buttons_left = inner.right * tx - 1215 - 120;
  const double list_height = std::nearbyint(inner.bottom * ty - 2 * 195 - 300) / 2;
  const double log_top = label.top * ty + 195 + 60;
  const Expected expected[] = {
      {IDC_LBL_ITEMS, 120, 120, 420, 195},
      {IDC_LST_ITEMS, 120, 360, buttons_left - 240, list_height},
      {IDC_LBL_LOG, 120, list.bottom * ty + 120, 315, 195},
      {IDC_TXT_LOG, 120, log_top, buttons_left - 240, inner.bottom * ty - log_top - 120},
      {IDC_CMD_OPEN, buttons_left, 360, 1215, 495},
      {IDC_CMD_GET_INFO, buttons_left, 360 + 735, 1215, 495},
      {IDC_CMD_EXIT, buttons_left, 360 + 2 * 735, 1215, 495},
  };
  for (const Expected& e : expected) {
    const RECT r = place(e.id);
    const std::string what = when + ", control " + std::to_string(e.id);
    EXPECT_NEAR(r.left, e.left / tx, 1) << what;
    EXPECT_NEAR(r.top, e.top / ty, 1) << what;
    EXPECT_NEAR(r.right - r.left, e.width / tx, 1) << what;
    if (e.id == IDC_LST_ITEMS) {
      // The list keeps whole lines: it may be up to one line lower than asked for.
      const LRESULT line = ::SendMessageA(tool.Control(IDC_LST_ITEMS), LB_GETITEMHEIGHT, 0, 0);
      EXPECT_LE(r.bottom - r.top, e.height / ty + 1) << what;
      EXPECT_GT(r.bottom - r.top, e.height / ty - line - 1) << what;
    } else {
      EXPECT_NEAR(r.bottom - r.top, e.height / ty, 1) << what;
    }
  }
}

RECT WindowPlace(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

TEST(WindowLayout, OpensAtFourFifthsOfTheScreenCentredAndKeepsItsMinimum) {
  const Screen s = Screen::Now();
  Sandbox sandbox("window-layout");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("a.tarninfo")));
  RunToWindow(tool);
  HWND main = tool.main_window();
  const std::string screen = std::to_string(s.width) + "x" + std::to_string(s.height) + " at " +
                             std::to_string(std::lround(1440 / s.twips_per_pixel_x)) + " dpi";

  // Four fifths of the screen, centred on it; then raised to 9600 by 7200 twips without moving.
  const double width = s.width * 0.8, height = s.height * 0.8;
  const RECT opened = WindowPlace(main);
  EXPECT_NEAR(opened.left, (s.width - width) / 2, 1) << screen;
  EXPECT_NEAR(opened.top, (s.height - height) / 2, 1) << screen;
  EXPECT_NEAR(opened.right - opened.left, std::max(width, 9600 / s.twips_per_pixel_x), 1) << screen;
  EXPECT_NEAR(opened.bottom - opened.top, std::max(height, 7200 / s.twips_per_pixel_y), 1)
      << screen;
  if (width * s.twips_per_pixel_x < 9600) {
    EXPECT_GT(opened.right, s.width) << screen << ": reaches past the screen's edge";
  }
  ExpectLayout(tool, screen + ", opened");

  // Each dimension below its minimum is raised on its own; the other keeps what it was given.
  const int min_width = static_cast<int>(std::lround(9600 / s.twips_per_pixel_x));
  const int min_height = static_cast<int>(std::lround(7200 / s.twips_per_pixel_y));
  // Sizes above the minimum that the screen takes (on a screen smaller than the minimum, that
  // is the minimum itself).
  const int width_kept = std::max(min_width, std::min(min_width + 50, s.width));
  const int height_kept = std::max(min_height, std::min(min_height + 40, s.height));
  const struct {
    int width, height, expected_width, expected_height;
  } sizes[] = {
      {min_width / 2, height_kept, min_width, height_kept},
      {width_kept, min_height / 3, width_kept, min_height},
      {width_kept, height_kept, width_kept, height_kept},
  };
  for (const auto& size : sizes) {
    ::SetWindowPos(main, nullptr, 10, 10, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    tool.WaitIdle();
    const RECT r = WindowPlace(main);
    const std::string what =
        screen + ", sized " + std::to_string(size.width) + "x" + std::to_string(size.height);
    EXPECT_NEAR(r.right - r.left, size.expected_width, 1) << what;
    EXPECT_NEAR(r.bottom - r.top, size.expected_height, 1) << what;
    EXPECT_EQ(r.left, 10) << what;
    ExpectLayout(tool, what);
  }

  // Minimised and restored: quiet, and laid out again.
  ::ShowWindow(main, SW_MINIMIZE);
  tool.WaitIdle();
  ::ShowWindow(main, SW_RESTORE);
  tool.WaitIdle();
  EXPECT_FALSE(tool.FindBox().has_value());
  ExpectLayout(tool, screen + ", restored");
  EXPECT_TRUE(tool.Close());
}

TEST(WindowCommands, CopyPutsExactlyThePaneOrItsSelectionOnTheClipboard) {
  Sandbox sandbox("window-copy");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("a.tarninfo")));
  RunToWindow(tool);
  EXPECT_TRUE(tool.IsEnabled(IDC_CMD_GET_INFO));
  HWND main = tool.main_window();
  auto command = [&](int id) {
    tool.Command(main, id);
    return ClipboardText();
  };
  const std::string pane = tool.LogText();
  ASSERT_NE(pane.find("Application name = Shown"), std::string::npos);
  EXPECT_EQ(command(IDM_EDIT_COPY_ALL), pane);
  ::SendMessageA(tool.Control(IDC_TXT_LOG), EM_SETSEL, 5, 25);
  EXPECT_EQ(command(IDM_EDIT_COPY), pane.substr(5, 20));
  ::SendMessageA(tool.Control(IDC_TXT_LOG), EM_SETSEL, 7, 7);
  EXPECT_EQ(command(IDM_EDIT_COPY), std::nullopt) << "nothing selected";

  // After a cancelled Open the list stays and the pane is empty: both copies leave nothing.
  command(IDM_EDIT_COPY_ALL);
  const std::vector<std::string> items = tool.Items();
  tool.Click(IDC_CMD_OPEN);
  HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
  ASSERT_NE(dialog, nullptr);
  tool.Command(dialog, IDC_CMD_CANCEL, BN_CLICKED);
  EXPECT_EQ(tool.Items(), items);
  EXPECT_EQ(tool.LogText(), "");
  EXPECT_TRUE(tool.IsEnabled(IDC_CMD_GET_INFO));
  EXPECT_EQ(command(IDM_EDIT_COPY_ALL), std::nullopt);
  EXPECT_EQ(command(IDM_EDIT_COPY), std::nullopt);
  EXPECT_TRUE(tool.Close());
}

TEST(WindowCommands, TheKeyboardReachesEveryCommand) {
  Sandbox sandbox("window-keys");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(""));
  RunToWindow(tool);
  HWND open = tool.Control(IDC_CMD_OPEN);
  EXPECT_EQ(tool.Focus(), open) << "at start";
  tool.PressKeys({VK_TAB});
  EXPECT_EQ(tool.Focus(), open) << "Tab from Open passes the list back to Open";

  // Enter, Alt+O and Ctrl+O open the file dialog; Esc cancels it.
  for (const std::initializer_list<WORD>& keys :
       {std::initializer_list<WORD>{VK_RETURN}, {VK_MENU, 'O'}, {VK_CONTROL, 'O'}}) {
    tool.PressKeys(keys);
    HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS, 5000);
    EXPECT_NE(dialog, nullptr) << "key " << *keys.begin();
    if (dialog == nullptr) continue;
    tool.PressKeys({VK_ESCAPE}, dialog);
    EXPECT_FALSE(::IsWindowVisible(dialog)) << "Esc";
  }

  // Open a file with Enter in the dialog (OK is its default button), then Alt+G runs it.
  tool.PressKeys({VK_MENU, 'O'});
  if (HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS, 5000)) {
    tool.PressKeys({VK_RETURN}, dialog);
  }
  EXPECT_EQ(tool.Items(), (std::vector<std::string>{"AppName=Shown", "File=C:\\no-such-file.dll"}));
  tool.PressKeys({VK_MENU, 'G'});
  const std::string log = tool.LogText();
  EXPECT_NE(log.find("Application name = Shown"), std::string::npos);
  ::SendMessageA(tool.Control(IDC_TXT_LOG), EM_SETSEL, 0, 10);
  tool.PressKeys({VK_CONTROL, 'C'});
  EXPECT_EQ(ClipboardText(), log.substr(0, 10));
  tool.PressKeys({VK_MENU, 'X'});
  EXPECT_TRUE(tool.Close(10000)) << "Alt+X ends the program";
}

TEST(FileDialog, OpensInTheProgramsFolderWithOnlyInfoFilesAndLoadsTheChosenOne) {
  Sandbox sandbox("window-dialog");
  CreateDirectoryA(sandbox.Path("nested").c_str(), nullptr);
  WriteFile(sandbox.Path("first.tarninfo"), "AppName=First\r\n");
  WriteFile(sandbox.Path("second.tarninfo"), "AppName=Second\r\n");
  WriteFile(sandbox.Path("notes.txt"), "x");
  WriteFile(sandbox.Path("old.tarninfo.bak"), "x");
  WriteFile(sandbox.Path("nested\\deep.tarninfo"), "AppName=Deep\r\n");
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(""));
  RunToWindow(tool);
  const struct {
    const char* what;
    int list_id, code;
    std::string entry;
    std::vector<std::string> items;
  } cases[] = {
      {"double-click on a file", IDC_FIL_FILES, LBN_DBLCLK, "second.tarninfo", {"AppName=Second"}},
      {"folder double-clicked, then a file",
       IDC_DIR_FOLDERS,
       LBN_DBLCLK,
       sandbox.Path("nested"),
       {"AppName=Deep"}},
  };
  for (const auto& c : cases) {
    tool.Click(IDC_CMD_OPEN);
    HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
    ASSERT_NE(dialog, nullptr) << c.what;
    EXPECT_EQ(WindowText(dialog), text::kFileDialogTitle);
    HWND folders = ::GetDlgItem(dialog, IDC_DIR_FOLDERS);
    HWND files = ::GetDlgItem(dialog, IDC_FIL_FILES);
    const std::vector<std::string> entries = ListTexts(folders);
    const LRESULT current = ::SendMessageW(folders, LB_GETCURSEL, 0, 0);
    ASSERT_GE(current, 0);
    EXPECT_EQ(entries[current], sandbox.dir()) << "starts in the program's folder";
    EXPECT_EQ(entries.back(), sandbox.Path("nested"));
    EXPECT_EQ(
        ListTexts(::GetDlgItem(dialog, IDC_DRV_DRIVE),
                  true)[::SendMessageW(::GetDlgItem(dialog, IDC_DRV_DRIVE), CB_GETCURSEL, 0, 0)],
        "c:");
    EXPECT_EQ(ListTexts(files), (std::vector<std::string>{"first.tarninfo", "second.tarninfo"}));
    HWND list = ::GetDlgItem(dialog, c.list_id);
    const std::vector<std::string> texts = ListTexts(list);
    const auto at = std::find(texts.begin(), texts.end(), c.entry);
    ASSERT_NE(at, texts.end()) << c.entry;
    ::SendMessageW(list, LB_SETCURSEL, at - texts.begin(), 0);
    tool.Command(dialog, c.list_id, c.code);
    if (c.list_id == IDC_DIR_FOLDERS) {
      EXPECT_EQ(ListTexts(files), std::vector<std::string>{"deep.tarninfo"});
      tool.Command(dialog, IDC_FIL_FILES, LBN_DBLCLK);
    }
    EXPECT_FALSE(::IsWindow(dialog)) << c.what;
    EXPECT_EQ(tool.Items(), c.items) << c.what;
    EXPECT_TRUE(tool.IsEnabled(IDC_CMD_GET_INFO));
  }
  EXPECT_TRUE(tool.Close());
}

}  // namespace
}  // namespace tarn::e2e
