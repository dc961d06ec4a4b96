// The Windows side of the platform against the real system, where no end-to-end case reaches:
// the file system's failure descriptions, damaged version resources, the shell's folders and
// the item list's bounds.
#include <windows.h>

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "checks/file_version.h"
#include "checks/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/shell.h"
#include "services/win32/system_error.h"
#include "support/test_support.h"
#include "ui/win32_controls.h"

namespace tarn::win32 {
namespace {

std::string DescriptionOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(no failure)";
}

TEST(Win32FileSystem, AnswersAndFailsWithTheClassicDescriptions) {
  test::TempFolder folder("platform-files");
  Win32FileSystem files;
  files.Append(folder / "a.log", "one\r\n");
  files.Append(folder / "a.log", std::string("two\0three", 9));
  EXPECT_EQ(files.ReadAll(folder / "a.log"), std::string("one\r\ntwo\0three", 14));
  EXPECT_EQ(files.Length(folder / "a.log"), 14u);
  EXPECT_EQ(files.Attributes(folder / "a.log").value_or(~0u) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_NE(files.Attributes(folder.path()).value_or(0) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(files.Attributes(folder / std::string(300, 'x')).has_value());
  files.Delete(folder / "a.log");
  EXPECT_FALSE(files.Attributes(folder / "a.log").has_value());

  files.Append(folder / "locked.log", "x");
  HANDLE lock = ::CreateFileA((folder / "locked.log").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::pair<std::function<void()>, std::string> failures[] = {
      {[&] { files.ReadAll(folder / "missing.tarninfo"); }, "File not found"},
      {[&] { files.ReadAll(folder / "no\\such\\a.tarninfo"); }, "Path not found"},
      {[&] { files.ReadAll(folder.path()); }, "Permission denied"},
      {[&] { files.Append(folder.path(), "x"); }, "Permission denied"},
      {[&] { files.Delete(folder / "missing"); }, "File not found"},
      {[&] { files.Append(folder / "locked.log", "y"); }, "Permission denied"},
  };
  for (const auto& [action, description] : failures) EXPECT_EQ(DescriptionOf(action), description);
  ::CloseHandle(lock);
  // Codes this Wine has no message for still get a text.
  for (DWORD code : {DWORD{0x80029C4A}, DWORD{0x800401F3}, DWORD{0x8000FFFF}})
    EXPECT_NE(DescriptionOf([&] { ThrowSystemError(code); }), "") << code;
}

void PutWord(std::string& bytes, std::size_t at, std::uint16_t word) {
  bytes[at] = static_cast<char>(word & 0xFF);
  bytes[at + 1] = static_cast<char>(word >> 8);
}

TEST(Win32FileSystem, DamagedVersionResourcesGiveWhatTheRecordHolds) {
  test::TempFolder folder("platform-versions");
  std::ifstream in(CombinePath(GetFilePathOnly(ExePath()), "fixtures\\v6_1_7601_17514.dll"),
                   std::ios::binary);
  const std::string fixture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string key;
  for (char c : std::string_view("VS_VERSION_INFO")) key.append({c, '\0'});
  const std::size_t at = fixture.find(key);
  ASSERT_NE(at, std::string::npos);
  const struct {
    const char* damage;
    std::function<void(std::string&)> change;
    std::string version;
  } cases[] = {
      // The root block's value length (the word before its type) says the record is empty.
      {"an empty record", [&](std::string& b) { PutWord(b, at - 4, 0); }, "0.0.0"},
      // A value length far beyond the record: the copy stops at the record's thirteen words.
      {"a record too long", [&](std::string& b) { PutWord(b, at - 4, 0x4000); }, "6.1.7601.17514"},
      {"the file cut in the resource", [&](std::string& b) { b.resize(at + 20); }, ""},
      {"not a program", [](std::string& b) { b = "plain text"; }, ""},
  };
  Win32FileSystem files;
  for (const auto& c : cases) {
    std::string bytes = fixture;
    c.change(bytes);
    std::ofstream(folder / "damaged.dll", std::ios::binary | std::ios::trunc) << bytes;
    const auto record = files.FixedVersionInfo(folder / "damaged.dll");
    EXPECT_EQ(record ? VersionText(*record) : "", c.version) << c.damage;
  }
}

TEST(Win32Shell, GivesTheShellsFoldersOrEmptyText) {
  Win32Shell shell;
  const std::pair<int, std::string> folders[] = {
      {38, "C:\\Program Files"},
      {42, "C:\\Program Files (x86)"},
      {43, "C:\\Program Files\\Common Files"},
      {44, "C:\\Program Files (x86)\\Common Files"},
      {37, "C:\\windows\\system32"},
      {41, "C:\\windows\\syswow64"},
      {17, ""},    // My Computer has no file-system path
      {0xFF, ""},  // no such folder
  };
  for (const auto& [csidl, path] : folders) EXPECT_EQ(shell.SpecialFolder(csidl), path) << csidl;
}

TEST(ListBoxItems, KeepsFileOrderAndRefusesPositionsOutside) {
  HWND list =
      ::CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ListBoxItems items;
  items.Attach(list);
  items.AddAll({"b", "", "a\tb", "AppName=X"});
  EXPECT_EQ(items.Count(), 4);
  EXPECT_EQ(items.At(2), "a\tb");
  EXPECT_EQ(DescriptionOf([&] { items.At(4); }), "Invalid property array index");
  ::DestroyWindow(list);
}

}  // namespace
}  // namespace tarn::win32
