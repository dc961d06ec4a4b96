// The file dialog's folder list: the paths, levels and open folders of its entries, roots, and
// the file pattern, for the paths that the dialog under Wine does not show (UNC, relative).
#include "form/folder_list.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

// Each entry as "path level", with " open" for the open folders above the subfolders.
Lines Entries(const std::string& folder, const Lines& subfolders) {
  Lines lines;
  for (const FolderEntry& e : FolderListEntries(folder, subfolders))
    lines.push_back(e.path + " " + std::to_string(e.level) + (e.open ? " open" : ""));
  return lines;
}

TEST(FolderList, ShowsTheRootAndParentsOpenAboveTheFolderAndItsSubfoldersBelow) {
  const std::tuple<std::string, Lines, Lines> cases[] = {
      {"C:\\", {"windows", "Apps"}, {"C:\\ 0 open", "C:\\Apps 1", "C:\\windows 1"}},
      {"C:\\a\\b\\",
       {"z", "Y", "x"},
       {"C:\\ 0 open", "C:\\a 1 open", "C:\\a\\b 2 open", "C:\\a\\b\\x 3", "C:\\a\\b\\Y 3",
        "C:\\a\\b\\z 3"}},
      {"\\\\server\\share\\docs",
       {"old"},
       {"\\\\server\\share 0 open", "\\\\server\\share\\docs 1 open",
        "\\\\server\\share\\docs\\old 2"}},
      {"relative\\folder", {"x"}, {}},
  };
  for (const auto& [folder, subfolders, entries] : cases)
    EXPECT_EQ(Entries(folder, subfolders), entries) << folder;
  Lines names;
  for (const FolderEntry& entry : FolderListEntries("C:\\Program Files\\Tarn", {"bin"}))
    names.emplace_back(EntryName(entry));
  EXPECT_EQ(names, (Lines{"C:\\", "Program Files", "Tarn", "bin"}));
}

TEST(FolderList, RootsTrimmedFoldersAndTheFilePattern) {
  const std::tuple<std::string, std::string, std::string> folders[] = {
      {"C:\\a\\b\\", "C:\\", "C:\\a\\b"},
      {"C:", "C:\\", "C:\\"},
      {"\\\\srv\\sh\\", "\\\\srv\\sh", "\\\\srv\\sh"},
      {"\\\\srv", "", "\\\\srv"},
      {"a\\b", "", "a\\b"},
  };
  for (const auto& [path, root, trimmed] : folders) {
    EXPECT_EQ(RootOf(path), root) << path;
    EXPECT_EQ(TrimFolder(path), trimmed) << path;
  }
  const std::pair<std::string, bool> names[] = {
      {"setup.tarninfo2", false},    {"tarninfo", false},       {".tarninfo", true},
      {"a.tarninfo.tarninfo", true}, {"a.tarninfo.tar", false},
  };
  for (const auto& [name, matches] : names)
    EXPECT_EQ(MatchesPattern(name, "*.tarninfo"), matches) << name;
}

}  // namespace
}  // namespace tarn
