// The Windows implementations of the platform, against the real system.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/system_error.h"
#include "ui/win32_controls.h"

namespace tarn::win32 {
namespace {

class TempFolder {
 public:
  TempFolder() {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    path_ =
        (std::filesystem::path(temp) / ("tarn-platform-" + std::to_string(::GetCurrentProcessId())))
            .string();
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
      ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string DescriptionOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(no failure)";
}

TEST(Win32FileSystem, AnswersForFilesFoldersAndMissingPaths) {
  TempFolder folder;
  Win32FileSystem files;
  files.Append(folder / "a.log", "one\r\n");
  files.Append(folder / "a.log", std::string("two\0three", 9));
  EXPECT_EQ(files.ReadAll(folder / "a.log"), std::string("one\r\ntwo\0three", 14));
  EXPECT_EQ(files.Length(folder / "a.log"), 14u);

  ASSERT_TRUE(files.Attributes(folder / "a.log").has_value());
  EXPECT_EQ(*files.Attributes(folder / "a.log") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  ASSERT_TRUE(files.Attributes(folder.path()).has_value());
  EXPECT_NE(*files.Attributes(folder.path()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(files.Attributes(folder / "missing").has_value());
  EXPECT_FALSE(files.Attributes(folder / std::string(300, 'x')).has_value());

  files.Delete(folder / "a.log");
  EXPECT_FALSE(files.Attributes(folder / "a.log").has_value());
}

TEST(Win32FileSystem, FailuresCarryTheClassicDescriptions) {
  TempFolder folder;
  Win32FileSystem files;
  EXPECT_EQ(DescriptionOf([&] { files.ReadAll(folder / "missing.tarninfo"); }), "File not found");
  EXPECT_EQ(DescriptionOf([&] { files.ReadAll(folder / "no\\such\\a.tarninfo"); }),
            "Path not found");
  EXPECT_EQ(DescriptionOf([&] { files.ReadAll(folder.path()); }), "Permission denied");
  EXPECT_EQ(DescriptionOf([&] { files.Append(folder.path(), "x"); }), "Permission denied");
  EXPECT_EQ(DescriptionOf([&] { files.Delete(folder / "missing"); }), "File not found");

  files.Append(folder / "locked.log", "x");
  HANDLE lock = ::CreateFileA((folder / "locked.log").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(DescriptionOf([&] { files.Append(folder / "locked.log", "y"); }), "Permission denied");
  ::CloseHandle(lock);
}

TEST(SystemError, EveryCodeGetsAText) {
  // Codes this Wine has no message for still get one.
  for (DWORD code : {DWORD{0x80029C4A}, DWORD{0x800401F3}, DWORD{0x8000FFFF}, DWORD{5}})
    EXPECT_FALSE(DescriptionOf([&] { ThrowSystemError(code); }).empty()) << code;
}

TEST(Win32Desktop, DatesUpperCaseAndTheExeFolder) {
  Win32Desktop desktop;
  const LocalDateTime midnight{2026, 12, 6, 0, 0, 0};
  const LocalDateTime afternoon{2026, 12, 6, 14, 5, 9};
  const std::string date = desktop.ShortDate(midnight);
  EXPECT_NE(date.find("2026"), std::string::npos);
  EXPECT_EQ(GeneralDate(desktop, midnight), date);
  EXPECT_EQ(GeneralDate(desktop, afternoon), date + " " + desktop.LongTime(afternoon));
  EXPECT_NE(desktop.LongTime(afternoon).find("05:09"), std::string::npos);

  EXPECT_EQ(desktop.UpperCase("file = c:\\x"), "FILE = C:\\X");

  const std::string folder = desktop.ExeFolder();
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(ExePath().rfind(folder + "\\", 0), 0u);
}

TEST(Win32Desktop, ClipboardIsEmptiedAndFilledWithPlainText) {
  Win32Desktop desktop;
  desktop.PutClipboardText("report\r\nline");
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE data = ::GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(::GlobalLock(data)), "report\r\nline");
  ::GlobalUnlock(data);
  ::CloseClipboard();

  desktop.ClearClipboard();
  EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
}

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
    edit_ = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0,
                              0, 300, 200, parent_, nullptr, nullptr, nullptr);
    list_ = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 300, 200, parent_, nullptr, nullptr,
                              nullptr);
    pane_.Attach(edit_);
    items_.Attach(list_);
  }
  void TearDown() override { ::DestroyWindow(parent_); }

  HWND parent_ = nullptr, edit_ = nullptr, list_ = nullptr;
  EditLogPane pane_;
  ListBoxItems items_;
};

TEST_F(Controls, ThePaneTakesMegabytesAndAppendsAtTheEndWhateverIsSelected) {
  const std::string line = std::string(98, 'x') + "\r\n";
  std::string expected;
  for (int i = 0; i < 30000; ++i) {
    pane_.Append(line);
    expected += line;
  }
  EXPECT_EQ(pane_.Text(), expected);  // 3 MB, whole
  ::SendMessageA(edit_, EM_SETSEL, 0, 5);
  EXPECT_EQ(pane_.SelectedText(), "xxxxx");
  pane_.Append("last\r\n");
  EXPECT_EQ(pane_.Text(), expected + "last\r\n");
  pane_.Clear();
  EXPECT_EQ(pane_.Text(), "");
  EXPECT_EQ(pane_.SelectedText(), "");
}

TEST_F(Controls, TheItemListKeepsFileOrderAndRefusesPositionsOutside) {
  items_.AddAll({"b", "", "a\tb", "AppName=X"});
  EXPECT_EQ(items_.Count(), 4);
  EXPECT_EQ(items_.At(0), "b");
  EXPECT_EQ(items_.At(2), "a\tb");
  EXPECT_EQ(DescriptionOf([&] { items_.At(4); }), "Invalid property array index");
  items_.Clear();
  EXPECT_EQ(items_.Count(), 0);
}

}  // namespace
}  // namespace tarn::win32
