// The main window and the file dialog in this process: their controls, and the file dialog's
// answers while a second thread works its lists as a user would.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

#include "services/win32/desktop.h"
#include "ui/file_dialog.h"
#include "ui/main_window.h"
#include "ui/resource.h"
#include "ui/win32_layout.h"

namespace tarn::win32 {
namespace {

std::string Text(HWND window) {
  char text[512] = "";
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<int> ChildIds(HWND parent) {
  std::vector<int> ids;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    ids.push_back(::GetDlgCtrlID(c));
  return ids;
}

// Every label's caption fits inside the label in the font the label was given.
void ExpectCaptionsFit(HWND parent, const char* what) {
  HDC dc = ::GetDC(nullptr);
  int labels = 0;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    char kind[32] = "";
    ::GetClassNameA(c, kind, sizeof kind);
    if (lstrcmpiA(kind, "Static") != 0) continue;
    ++labels;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0)));
    const std::string caption = Text(c);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    ::SelectObject(dc, old);
    RECT inner{};
    ::GetClientRect(c, &inner);
    EXPECT_LE(size.cx, inner.right) << what << " " << caption;
    EXPECT_LE(size.cy, inner.bottom) << what << " " << caption;
  }
  ::ReleaseDC(nullptr, dc);
  EXPECT_GE(labels, 2) << what;
}

TEST(Windows, ControlsComeInTabOrderAndLabelsShowTheirWholeCaption) {
  MainWindow main;
  ASSERT_TRUE(main.Create(::GetModuleHandleA(nullptr)));
  EXPECT_EQ(ChildIds(main.hwnd()),
            (std::vector<int>{IDC_LST_ITEMS, IDC_LBL_ITEMS, IDC_CMD_GET_INFO, IDC_CMD_EXIT,
                              IDC_LBL_LOG, IDC_TXT_LOG, IDC_CMD_OPEN}));
  ExpectCaptionsFit(main.hwnd(), "main window");

  FileDialogWindow dialog(main.hwnd());
  EXPECT_EQ(ChildIds(dialog.hwnd()),
            (std::vector<int>{IDC_DRV_DRIVE, IDC_LBL_DRIVE, IDC_DIR_FOLDERS, IDC_LBL_FOLDERS,
                              IDC_FIL_FILES, IDC_LBL_FILES, IDC_CMD_OK, IDC_CMD_CANCEL}));
  ExpectCaptionsFit(dialog.hwnd(), "file dialog");
  // The dialog's inner area and the places of its controls, in twips, within a pixel.
  const Twips twips = Twips::ForScreen();
  RECT inner{};
  ::GetClientRect(dialog.hwnd(), &inner);
  EXPECT_NEAR(inner.right, twips.PixelsX(8280), 1);
  EXPECT_NEAR(inner.bottom, twips.PixelsY(4860), 1);
  const struct {
    int id, left, top, width, height;
  } places[] = {
      {IDC_DRV_DRIVE, 120, 360, 3375, 315},     {IDC_LBL_DRIVE, 120, 120, 420, 195},
      {IDC_DIR_FOLDERS, 120, 1020, 3375, 3690}, {IDC_LBL_FOLDERS, 120, 780, 555, 195},
      {IDC_FIL_FILES, 3660, 360, 3075, 4380},   {IDC_LBL_FILES, 3720, 120, 360, 195},
      {IDC_CMD_OK, 6900, 300, 1215, 495},       {IDC_CMD_CANCEL, 6900, 1020, 1215, 495},
  };
  for (const auto& p : places) {
    const Place place = GetPlace(::GetDlgItem(dialog.hwnd(), p.id), twips);
    EXPECT_NEAR(place.left, p.left, twips.X(1)) << p.id;
    EXPECT_NEAR(place.top, p.top, twips.Y(1)) << p.id;
    EXPECT_NEAR(place.width, p.width, twips.X(1)) << p.id;
    EXPECT_NEAR(place.height, p.height, twips.Y(1)) << p.id;
  }
}

// What the user sees of the dialog: the folder list's entries and its selected one, the files.
struct Seen {
  std::vector<std::string> folders;
  std::string folder;
  std::vector<std::string> files;
};

std::vector<std::string> ListTexts(HWND list, UINT count_message, UINT text_message) {
  std::vector<std::string> texts;
  const LRESULT count = ::SendMessageA(list, count_message, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[MAX_PATH] = "";
    ::SendMessageA(list, text_message, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    texts.emplace_back(text);
  }
  return texts;
}

Seen Look(HWND dialog) {
  HWND folders = ::GetDlgItem(dialog, IDC_DIR_FOLDERS);
  Seen seen{ListTexts(folders, LB_GETCOUNT, LB_GETTEXT), "",
            ListTexts(::GetDlgItem(dialog, IDC_FIL_FILES), LB_GETCOUNT, LB_GETTEXT)};
  const LRESULT selected = ::SendMessageA(folders, LB_GETCURSEL, 0, 0);
  if (selected >= 0 && static_cast<std::size_t>(selected) < seen.folders.size())
    seen.folder = seen.folders[static_cast<std::size_t>(selected)];
  else
    ADD_FAILURE() << "no current folder: " << selected << " of " << seen.folders.size();
  return seen;
}

// A user's action on a list: select entry `text` (a suffix of it will do), then notify.
void Pick(HWND dialog, int id, const std::string& text, int code) {
  HWND list = ::GetDlgItem(dialog, id);
  const bool combo = id == IDC_DRV_DRIVE;
  const std::vector<std::string> texts =
      combo ? ListTexts(list, CB_GETCOUNT, CB_GETLBTEXT) : ListTexts(list, LB_GETCOUNT, LB_GETTEXT);
  std::size_t index = 0;
  while (index < texts.size() &&
         !(texts[index].size() >= text.size() &&
           texts[index].compare(texts[index].size() - text.size(), text.size(), text) == 0))
    ++index;
  ASSERT_LT(index, texts.size()) << text << " is not listed";
  ::SendMessageA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(list));
}

void Press(HWND dialog, int id) {
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Runs FileDialog on this thread while `user` works the dialog from another one.
std::string RunDialog(MainWindow& main, const std::string& start_path,
                      const std::function<void(HWND)>& user) {
  const DWORD thread = ::GetCurrentThreadId();
  std::thread other([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && dialog == nullptr; ++i) {
      ::EnumThreadWindows(
          thread,
          [](HWND window, LPARAM found) -> BOOL {
            char kind[64] = "";
            ::GetClassNameA(window, kind, sizeof kind);
            if (std::string(kind) != TARN_FILE_DIALOG_CLASS || !::IsWindowVisible(window))
              return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&dialog));
      if (dialog == nullptr) ::Sleep(20);
    }
    if (dialog == nullptr) return ADD_FAILURE() << "the file dialog did not show";
    user(dialog);
  });
  // A main window of an earlier test ended the thread's loop as it went; this thread goes on.
  MSG quit;
  while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  std::string result = main.FileDialog("tarninfo", start_path);
  other.join();
  return result;
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    folder_ = (std::filesystem::path(temp) / "tarn-dialog").string();
    std::filesystem::remove_all(folder_);
    for (const char* sub : {"sub", "sub2", ".git"})
      std::filesystem::create_directories(folder_ + "\\" + sub);
    for (const char* file : {"b.tarninfo", "A.tarninfo", "c.txt", "d.tarninfo.bak",
                             "sub\\inner.tarninfo", "sub2\\note.txt"})
      std::ofstream(folder_ + "\\" + file) << "AppName=x\r\n";
    std::ofstream(root_file_) << "AppName=root\r\n";
    ::SetFileAttributesA((folder_ + "\\.git").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(main_.Create(::GetModuleHandleA(nullptr)));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    std::filesystem::remove(root_file_, ignored);
  }

  const std::string root_file_ = "C:\\tarn-dialog-root.tarninfo";
  std::string folder_;
  MainWindow main_;
};

TEST_F(FileDialogTest, AnswersWithTheChosenFileOrEmptyText) {
  const std::string start = folder_ + "\\any.tarninfo";
  const struct {
    const char* what;
    std::function<void(HWND)> user;
    std::string expected;
  } cases[] = {
      {"Cancel", [](HWND d) { Press(d, IDC_CMD_CANCEL); }, ""},
      {"close box", [](HWND d) { ::SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, ""},
      {"OK without a selection", [](HWND d) { Press(d, IDC_CMD_OK); }, folder_ + "\\A.tarninfo"},
      {"file double-clicked", [](HWND d) { Pick(d, IDC_FIL_FILES, "b.tarninfo", LBN_DBLCLK); },
       folder_ + "\\b.tarninfo"},
      {"file selected, then OK",
       [](HWND d) {
         Pick(d, IDC_FIL_FILES, "b.tarninfo", LBN_SELCHANGE);
         Press(d, IDC_CMD_OK);
       },
       folder_ + "\\b.tarninfo"},
      {"subfolder double-clicked, then OK",
       [&](HWND d) {
         Pick(d, IDC_DIR_FOLDERS, "\\sub", LBN_DBLCLK);
         const Seen seen = Look(d);
         EXPECT_EQ(seen.folder, folder_ + "\\sub");
         EXPECT_EQ(seen.folders.back(), folder_ + "\\sub");  // no subfolders below it
         EXPECT_EQ(seen.files, std::vector<std::string>{"inner.tarninfo"});
         Press(d, IDC_CMD_OK);
       },
       folder_ + "\\sub\\inner.tarninfo"},
      {"subfolder clicked once: the files follow, the folders stay",
       [&](HWND d) {
         const Seen before = Look(d);
         Pick(d, IDC_DIR_FOLDERS, "\\sub", LBN_SELCHANGE);
         const Seen after = Look(d);
         EXPECT_EQ(after.folders, before.folders);
         EXPECT_EQ(after.files, std::vector<std::string>{"inner.tarninfo"});
         Press(d, IDC_CMD_OK);
       },
       folder_ + "\\sub\\inner.tarninfo"},
      {"OK on a folder without info files",
       [](HWND d) {
         Pick(d, IDC_DIR_FOLDERS, "\\sub2", LBN_DBLCLK);
         EXPECT_TRUE(Look(d).files.empty());
         Press(d, IDC_CMD_OK);
       },
       ""},
      {"a file in a drive's root",
       [](HWND d) {
         Pick(d, IDC_DRV_DRIVE, "c:", CBN_SELCHANGE);
         EXPECT_EQ(Look(d).folders.front(), "C:\\");
         Pick(d, IDC_DIR_FOLDERS, "C:\\", LBN_DBLCLK);
         EXPECT_EQ(Look(d).folder, "C:\\");
         Pick(d, IDC_FIL_FILES, "tarn-dialog-root.tarninfo", LBN_DBLCLK);
       },
       root_file_},
  };
  for (const auto& c : cases) {
    const std::string result = RunDialog(main_, start, [&](HWND dialog) {
      // Every call starts afresh in the start folder, whatever the one before did.
      EXPECT_EQ(Text(dialog), "Select Program Files Location") << c.what;
      const Seen seen = Look(dialog);
      EXPECT_EQ(seen.folder, folder_) << c.what;
      EXPECT_EQ(std::vector<std::string>(seen.folders.end() - 2, seen.folders.end()),
                (std::vector<std::string>{folder_ + "\\sub", folder_ + "\\sub2"}))
          << c.what;
      EXPECT_EQ(seen.files, (std::vector<std::string>{"A.tarninfo", "b.tarninfo"})) << c.what;
      c.user(dialog);
    });
    EXPECT_EQ(result, c.expected) << c.what;
  }
}

TEST_F(FileDialogTest, OpensInTheProgramsFolderWithoutAStartFolderThatExists) {
  Win32Desktop desktop;
  for (const std::string& start : {std::string(), std::string("C:\\no\\such\\folder\\x.tarninfo"),
                                   std::string("plain-name.tarninfo")}) {
    const std::string result = RunDialog(main_, start, [&](HWND dialog) {
      EXPECT_EQ(Look(dialog).folder, desktop.ExeFolder()) << start;
      Press(dialog, IDC_CMD_CANCEL);
    });
    EXPECT_EQ(result, "");
  }
}

}  // namespace
}  // namespace tarn::win32
