#include <gtest/gtest.h>

#include "checks/file_version.h"
#include "checks/paths.h"
#include "fakes.h"

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

Lines PaneLines(const std::string& pane) {
  Lines lines;
  for (std::size_t start = 0, end; start < pane.size(); start = end + 2) {
    end = pane.find("\r\n", start);
    if (end == std::string::npos) end = pane.size();
    lines.push_back(pane.substr(start, end - start));
  }
  return lines;
}

TEST(PathOnly, KeepsTheTextBeforeTheLastBackslash) {
  const std::pair<std::string, std::string> cases[] = {
      {"a.dll", ""},
      {"\\a.dll", ""},
      {"C:\\a.dll", "C:"},
      {"C:\\Tools\\", "C:\\Tools"},
      {"C:\\Tools\\\\", "C:\\Tools\\"},
      {"C:\\Tools\\Sub\\a.dll", "C:\\Tools\\Sub"},
      {"C:/Tools/a.dll", ""},
      {"", ""},
  };
  for (const auto& [path, folder] : cases) {
    EXPECT_EQ(GetFilePathOnly(path), folder) << path;
    testing::Rig rig;
    EXPECT_EQ(rig.form.GetFilePathOnly(path), folder) << path;
    EXPECT_EQ(rig.view.pane.text, "");
  }
}

TEST(CombinePath, JoinsWithExactlyOneInsertedOrDroppedSeparator) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"", "a.dll", "a.dll"},
      {"", "\\a.dll", "\\a.dll"},
      {"C:\\Tools\\", "", "C:\\Tools\\"},
      {"C:\\Tools", "a.dll", "C:\\Tools\\a.dll"},
      {"C:\\Tools\\", "a.dll", "C:\\Tools\\a.dll"},
      {"C:\\Tools\\", "\\a.dll", "C:\\Tools\\a.dll"},
      {"C:\\Tools", "\\a.dll", "C:\\Tools\\a.dll"},
      {"C:\\Tools\\\\", "a.dll", "C:\\Tools\\\\a.dll"},
      {" C:\\Tools ", " a.dll", " C:\\Tools \\ a.dll"},
  };
  for (const auto& [folder, name, joined] : cases)
    EXPECT_EQ(CombinePath(folder, name), joined) << folder << " + " << name;
}

TEST(Existence, FilesAreTrimmedOfSpacesAndFoldersAreNot) {
  testing::Rig rig;
  rig.files.files["C:\\a.dll"] = "";
  rig.files.folders.insert("C:\\Tools");
  rig.files.folders.insert(" C:\\Spaced ");
  struct Case {
    std::string path;
    bool file, folder;
  };
  const Case cases[] = {
      {"C:\\a.dll", true, false}, {"  C:\\a.dll  ", true, false}, {"\tC:\\a.dll", false, false},
      {"C:\\Tools", false, true}, {" C:\\Tools", false, false},   {" C:\\Spaced ", false, true},
      {"", false, false},         {"   ", false, false},          {"C:\\missing", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rig.form.DoesFileExist(c.path), c.file) << '"' << c.path << '"';
    EXPECT_EQ(rig.form.DoesFolderExist(c.path), c.folder) << '"' << c.path << '"';
  }
}

FixedFileInfo Record(std::uint32_t high, std::uint32_t low) {
  FixedFileInfo record{};
  record[0] = 0xFEEF04BD;
  record[kFileVersionHigh] = high;
  record[kFileVersionLow] = low;
  record[4] = 0x00090008;  // the product version plays no part
  record[5] = 0x00070006;
  return record;
}

TEST(VersionText, DropsAZeroBuildAndAlwaysWritesTheRevision) {
  const std::tuple<std::uint32_t, std::uint32_t, std::string> cases[] = {
      {0x00010000, 0x00000017, "1.0.23"},
      {0x00060001, 0x1DB1446A, "6.1.7601.17514"},
      {0x00050000, 0x00000000, "5.0.0"},
      {0x00050000, 0x00010000, "5.0.1.0"},
      {0xFFFFFFFF, 0xFFFFFFFF, "65535.65535.65535.65535"},
      {0x80008000, 0x80008000, "32768.32768.32768.32768"},
      {0x00000000, 0x0000FFFF, "0.0.65535"},
  };
  for (const auto& [high, low, text] : cases) EXPECT_EQ(VersionText(Record(high, low)), text);
  EXPECT_EQ(VersionText(FixedFileInfo{}), "0.0.0");
  static_assert(HiWord(0xABCD1234) == 0xABCD && LoWord(0xABCD1234) == 0x1234);
}

TEST(GetFileInfo, WritesItsBlock) {
  const std::string kFile = "C:\\Tools\\a.dll";
  struct Case {
    std::string name, path;
    Lines block;
  };
  const Case cases[] = {
      {"with a version",
       kFile,
       {"", "File: C:\\Tools\\a.dll", "   File Date: 4/3/2025 10:20:30",
        "   Version: 6.1.7601.17514"}},
      {"without a version",
       "C:\\Tools\\plain.txt",
       {"", "File: C:\\Tools\\plain.txt", "   File Date: 4/3/2025 10:20:30", "   Version: "}},
      {"at midnight",
       "C:\\Tools\\midnight.dll",
       {"", "File: C:\\Tools\\midnight.dll", "   File Date: 1/1/2024", "   Version: 1.0.23"}},
      {"missing",
       "C:\\Tools\\none.dll",
       {"", "File: C:\\Tools\\none.dll", "   File does not exist"}},
      {"a folder", "C:\\Tools", {"", "File: C:\\Tools", "   File does not exist"}},
      {"empty", "", {"", "File: ", "   File does not exist"}},
      // Gone between the existence test and the date query.
      {"vanished",
       "C:\\Tools\\gone.dll",
       {"", "File: C:\\Tools\\gone.dll", "[frmMain.GetFileInfo] Permission denied"}},
  };
  for (const Case& c : cases) {
    testing::Rig rig;
    rig.files.folders.insert("C:\\Tools");
    for (const char* name : {"a.dll", "plain.txt", "midnight.dll", "gone.dll"})
      rig.files.files[std::string("C:\\Tools\\") + name] = "MZ";
    rig.files.versions[kFile] = Record(0x00060001, 0x1DB1446A);
    rig.files.versions["C:\\Tools\\midnight.dll"] = Record(0x00010000, 0x00000017);
    rig.files.times["C:\\Tools\\midnight.dll"] = {2024, 1, 1, 0, 0, 0};
    rig.files.refuse["C:\\Tools\\gone.dll"] = "Permission denied";
    rig.view.items.lines = {"File=" + c.path};
    rig.form.Process();
    Lines lines = PaneLines(rig.view.pane.text);
    ASSERT_EQ(lines.size(), 3 + c.block.size() + 1) << c.name;
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end() - 1), c.block) << c.name;
    EXPECT_TRUE(rig.desktop.boxes.empty()) << c.name;
  }
}

TEST(GetFileInfo, AVersionFailureIsABoxAndTheBlockGoesOnWithoutVersion) {
  testing::Rig rig;
  rig.files.files["C:\\a.dll"] = "MZ";
  rig.files.refuse_version["C:\\a.dll"] = "Out of memory";
  rig.view.items.lines = {"FILE=C:\\a.dll"};
  rig.form.Process();
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text, "[frmMain.GetFileVersion] Out of memory");
  EXPECT_EQ(rig.desktop.boxes[0].icon, BoxIcon::kExclamation);
  const Lines lines = PaneLines(rig.view.pane.text);
  EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
            (Lines{"", "File: C:\\a.dll", "   File Date: 4/3/2025 10:20:30", "   Version: ", ""}));
}

}  // namespace
}  // namespace tarn
