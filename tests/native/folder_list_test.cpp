// The file dialog's folder list entries and file pattern.
#include "form/folder_list.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

struct Expected {
  std::string path;
  int level;
  bool open;
};

void ExpectEntries(const std::vector<FolderEntry>& entries, const std::vector<Expected>& expected,
                   const std::string& label) {
  ASSERT_EQ(entries.size(), expected.size()) << label;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].path, expected[i].path) << label << " #" << i;
    EXPECT_EQ(entries[i].level, expected[i].level) << label << " #" << i;
    EXPECT_EQ(entries[i].open, expected[i].open) << label << " #" << i;
  }
}

TEST(FolderList, ShowsTheRootAndParentsAboveTheFolderAndItsSubfoldersBelow) {
  struct Case {
    std::string folder;
    std::vector<std::string> subfolders;
    std::vector<Expected> expected;
  } cases[] = {
      {"C:\\",
       {"windows", "Apps"},
       {{"C:\\", 0, true}, {"C:\\Apps", 1, false}, {"C:\\windows", 1, false}}},
      {"C:\\a\\b\\",
       {"z", "Y", "x"},
       {{"C:\\", 0, true},
        {"C:\\a", 1, true},
        {"C:\\a\\b", 2, true},
        {"C:\\a\\b\\x", 3, false},
        {"C:\\a\\b\\Y", 3, false},
        {"C:\\a\\b\\z", 3, false}}},
      {"z:\\tmp", {}, {{"z:\\", 0, true}, {"z:\\tmp", 1, true}}},
      {"\\\\server\\share\\docs",
       {"old"},
       {{"\\\\server\\share", 0, true},
        {"\\\\server\\share\\docs", 1, true},
        {"\\\\server\\share\\docs\\old", 2, false}}},
      {"relative\\folder", {"x"}, {}},
  };
  for (const Case& c : cases)
    ExpectEntries(FolderListEntries(c.folder, c.subfolders), c.expected, c.folder);
}

TEST(FolderList, EntriesShowTheirOwnNameAndTheRootItsPath) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : FolderListEntries("C:\\Program Files\\Tarn", {"bin"}))
    names.emplace_back(EntryName(entry));
  EXPECT_EQ(names, (std::vector<std::string>{"C:\\", "Program Files", "Tarn", "bin"}));
}

TEST(FolderList, RootsAndTrimmedFolders) {
  const struct {
    std::string path, root, trimmed;
  } cases[] = {
      {"C:\\a\\b\\", "C:\\", "C:\\a\\b"},
      {"C:\\", "C:\\", "C:\\"},
      {"C:", "C:\\", "C:\\"},
      {"\\\\srv\\sh\\", "\\\\srv\\sh", "\\\\srv\\sh"},
      {"\\\\srv", "", "\\\\srv"},
      {"a\\b", "", "a\\b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RootOf(c.path), c.root) << c.path;
    EXPECT_EQ(TrimFolder(c.path), c.trimmed) << c.path;
  }
}

TEST(FolderList, FilePatternsMatchAsOnWindows) {
  const struct {
    std::string name, pattern;
    bool matches;
  } cases[] = {
      {"setup.tarninfo", "*.tarninfo", true},
      {"setup.tarninfo.bak", "*.tarninfo", false},
      {"setup.tarninfo2", "*.tarninfo", false},
      {"tarninfo", "*.tarninfo", false},
      {".tarninfo", "*.tarninfo", true},
      {"readme", "*.*", true},
      {"readme", "*.", true},
      {"readme.txt", "*.", false},
      {"a1.txt", "a?.txt", true},
      {"a12.txt", "a?.txt", false},
      {"abcabd", "*abd", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

}  // namespace
}  // namespace tarn
