// The File check, the file version and the special folders against real files and the real
// shell. The version fixtures are built by the test build beside this program.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "checks/paths.h"
#include "native/fakes.h"
#include "services/special_folders.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/shell.h"

namespace tarn::win32 {
namespace {

using Lines = std::vector<std::string>;

// The real desktop's dates; boxes are recorded instead of shown.
class DatesDesktop final : public Desktop {
 public:
  std::vector<std::string> boxes;
  Win32Desktop real;

  void MessageBox(std::string_view text, BoxIcon) override { boxes.emplace_back(text); }
  void ClearClipboard() override {}
  void PutClipboardText(std::string_view) override {}
  LocalDateTime Now() override { return real.Now(); }
  std::string ShortDate(const LocalDateTime& when) override { return real.ShortDate(when); }
  std::string LongTime(const LocalDateTime& when) override { return real.LongTime(when); }
  std::string UpperCase(std::string_view text) override { return real.UpperCase(text); }
  std::string ExeFolder() override { return scratch; }
  std::string scratch;
};

// A main form over the real file system and shell, in a scratch folder of its own.
struct RealRig {
  Win32FileSystem files;
  DatesDesktop desktop;
  testing::FakeView view;
  Win32Shell shell;
  MainForm form{{files, desktop, shell}, view};
  std::filesystem::path scratch = std::filesystem::temp_directory_path() /
                                  ("tarn-files-" + std::to_string(::GetCurrentProcessId()));

  RealRig() {
    std::filesystem::create_directories(scratch);
    desktop.scratch = scratch.string();
  }
  ~RealRig() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
  }
  std::string In(const std::string& name) const { return (scratch / name).string(); }

  // The entries that one item line writes, without the header and the closing empty entry.
  Lines Run(const std::string& line) {
    view.pane.text.clear();
    view.items.lines = {line};
    form.Process();
    Lines lines;
    const std::string& pane = view.pane.text;
    for (std::size_t start = 0, end; (end = pane.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      lines.push_back(pane.substr(start, end - start));
    return lines.size() < 4 ? lines : Lines(lines.begin() + 3, lines.end() - 1);
  }
};

std::string Fixture(const std::string& name) {
  return CombinePath(GetFilePathOnly(ExePath()), "fixtures\\" + name);
}

std::string VersionLine(RealRig& rig, const std::string& path) {
  const Lines block = rig.Run("File=" + path);
  return block.size() == 4 ? block[3] : "(no version line)";
}

TEST(FileVersion, ReadsTheFixedFileVersionOfRealFiles) {
  const std::pair<std::string, std::string> cases[] = {
      {"v1_0_0_23.dll", "1.0.23"}, {"v6_1_7601_17514.dll", "6.1.7601.17514"},
      {"v5_0_0_0.dll", "5.0.0"},   {"v65535_65535_65535_65535.dll", "65535.65535.65535.65535"},
      {"no_version.dll", ""},
  };
  RealRig rig;
  for (const auto& [name, version] : cases)
    EXPECT_EQ(VersionLine(rig, Fixture(name)), "   Version: " + version) << name;
  std::ofstream(rig.In("plain.txt")) << "not a program";
  EXPECT_EQ(VersionLine(rig, rig.In("plain.txt")), "   Version: ");
  EXPECT_TRUE(rig.desktop.boxes.empty());
}

// A copy of a fixture with its version resource changed: `change` gets the file's bytes and
// the offset of the resource's "VS_VERSION_INFO" key.
std::string DamagedCopy(RealRig& rig, const std::string& name,
                        void (*change)(std::string& bytes, std::size_t key)) {
  std::ifstream in(Fixture("v6_1_7601_17514.dll"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string_view key_ascii = "VS_VERSION_INFO";
  std::string key;
  for (char c : key_ascii) key.append({c, '\0'});
  const std::size_t at = bytes.find(key);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) change(bytes, at);
  std::ofstream(rig.In(name), std::ios::binary) << bytes;
  return rig.In(name);
}

void PutWord(std::string& bytes, std::size_t at, std::uint16_t word) {
  bytes[at] = static_cast<char>(word & 0xFF);
  bytes[at + 1] = static_cast<char>(word >> 8);
}

TEST(FileVersion, DamagedResourcesNeverCrashAndGiveWhatTheRecordHolds) {
  RealRig rig;
  struct Case {
    const char* name;
    void (*change)(std::string&, std::size_t);
    std::string version;
  };
  const Case cases[] = {
      // The root block's value length (the word before its type) says the record is empty.
      {"empty_record.dll", [](std::string& b, std::size_t key) { PutWord(b, key - 4, 0); },
       "0.0.0"},
      // A value length far beyond the record: the copy stops at the record's thirteen words.
      {"long_record.dll", [](std::string& b, std::size_t key) { PutWord(b, key - 4, 0x4000); },
       "6.1.7601.17514"},
      // The file ends in the middle of the resource.
      {"truncated.dll", [](std::string& b, std::size_t key) { b.resize(key + 20); }, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VersionLine(rig, DamagedCopy(rig, c.name, c.change)), "   Version: " + c.version)
        << c.name;
  EXPECT_TRUE(rig.desktop.boxes.empty());
}

// Sets the file's modification time to the given local time.
void SetLocalWriteTime(const std::string& path, const LocalDateTime& when) {
  auto word = [](int number) { return static_cast<WORD>(number); };
  const SYSTEMTIME local{word(when.year),   word(when.month),  0, word(when.day), word(when.hour),
                         word(when.minute), word(when.second), 0};
  FILETIME local_time, utc;
  ASSERT_TRUE(::SystemTimeToFileTime(&local, &local_time));
  ASSERT_TRUE(::LocalFileTimeToFileTime(&local_time, &utc));
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc));
  ::CloseHandle(file);
}

TEST(GetFileInfo, WritesTheLocalDateAndLeavesOutAMidnightTime) {
  RealRig rig;
  const LocalDateTime times[] = {{2024, 2, 29, 0, 0, 0},
                                 {2024, 2, 29, 13, 45, 10},
                                 {2023, 12, 31, 23, 59, 59},
                                 {2024, 7, 1, 0, 0, 1}};
  for (const LocalDateTime& when : times) {
    const std::string path = rig.In("dated.txt");
    std::ofstream(path) << "x";
    SetLocalWriteTime(path, when);
    std::string date = rig.desktop.ShortDate(when);
    if (!when.IsMidnight()) date.append(" ").append(rig.desktop.LongTime(when));
    EXPECT_EQ(rig.Run("File=" + path),
              (Lines{"", "File: " + path, "   File Date: " + date, "   Version: "}))
        << when.hour << ":" << when.minute << ":" << when.second;
  }
}

TEST(GetFileInfo, FoldersMissingFilesAndOverlongPathsDoNotExist) {
  RealRig rig;
  const std::string overlong = rig.In(std::string(300, 'a') + ".dll");
  for (const std::string& path :
       {rig.scratch.string(), rig.scratch.string() + "\\", rig.In("none.dll"), overlong})
    EXPECT_EQ(rig.Run("File=" + path), (Lines{"", "File: " + path, "   File does not exist"}));
}

TEST(SpecialFolders, AreTheShellsFoldersPreferringThe32BitOnes) {
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

  RealRig rig;
  EXPECT_EQ(rig.Run("AppName=%ProgramFiles%|%COMMONFILESFOLDER%|%systemfolder%"),
            Lines{"Application name = C:\\Program Files (x86)|C:\\Program Files (x86)\\Common "
                  "Files|C:\\windows\\syswow64"});
  EXPECT_TRUE(rig.desktop.boxes.empty());
}

}  // namespace
}  // namespace tarn::win32
