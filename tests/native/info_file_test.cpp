#include <gtest/gtest.h>

#include "fakes.h"
#include "script/item_line.h"

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

TEST(InfoFileLines, OnlyCrLfAndLoneCrEndALine) {
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a\nb\n"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a\n", "b"}},
      {"\r\r\n", {"", ""}},
      {std::string("a\0b", 3), {std::string("a\0b", 3)}},
  };
  for (const auto& [content, lines] : cases) EXPECT_EQ(SplitInfoLines(content), lines) << content;
}

TEST(InfoFileLines, TrimsSpacesOnly) {
  EXPECT_EQ(TrimSpaces("  File = a.dll  "), "File = a.dll");
  EXPECT_EQ(TrimSpaces("\tFile=a\t "), "\tFile=a\t");
  EXPECT_EQ(TrimSpaces("    "), "");
}

TEST(CommandLine, ArgumentTextAndQuotes) {
  EXPECT_EQ(ArgumentText("tarninfo.exe  C:\\a.tarninfo"), "C:\\a.tarninfo");
  EXPECT_EQ(ArgumentText("\"C:\\My Tools\\tarninfo.exe\" \"C:\\x y.tarninfo\""),
            "\"C:\\x y.tarninfo\"");
  EXPECT_EQ(ArgumentText("tarninfo.exe"), "");
  EXPECT_EQ(ArgumentText("\"tarninfo.exe\""), "");
  EXPECT_EQ(UnquotePath("\"C:\\x y.tarninfo\""), "C:\\x y.tarninfo");
  EXPECT_EQ(UnquotePath("\"C:\\x y.tarninfo"), "C:\\x y.tarninf");
  EXPECT_EQ(UnquotePath("C:\\x.tarninfo\""), "C:\\x.tarninfo\"");
  EXPECT_EQ(UnquotePath("\""), "");
}

struct LoadCase {
  const char* name;
  std::string content;
  Lines items;
};

TEST(LoadInfoFile, FillsTheListAndEnablesGetInfo) {
  const LoadCase cases[] = {
      {"zero bytes", "", {"Invalid file."}},
      {"a single line end", "\r\n", {""}},
      {"blanks", "   \r\n  \r\n", {"", ""}},
      {"trimmed lines", "  AppName = X  \r\n\tFile=a \r\n", {"AppName = X", "\tFile=a"}},
      {"byte-order mark",
       "\xEF\xBB\xBF"
       "AppName=X",
       {"\xEF\xBB\xBF"
        "AppName=X"}},
      {"lf only", "AppName=X\nFile=a\n", {"AppName=X\nFile=a\n"}},
  };
  for (const LoadCase& c : cases) {
    testing::Rig rig;
    rig.files.files["C:\\x y.tarninfo"] = c.content;
    rig.view.items.lines = {"old line"};
    rig.view.pane.text = "old report\r\n";
    std::string path = "\"C:\\x y.tarninfo\"";
    rig.form.LoadInfoFile(path);
    EXPECT_EQ(path, "C:\\x y.tarninfo");
    EXPECT_EQ(rig.view.items.lines, c.items) << c.name;
    EXPECT_TRUE(rig.view.get_info_enabled) << c.name;
    EXPECT_EQ(rig.view.pane.text, "") << c.name;
    EXPECT_TRUE(rig.desktop.boxes.empty()) << c.name;
  }
}

TEST(LoadInfoFile, AFileThatCannotBeReadShowsABoxAndKeepsThePane) {
  testing::Rig rig;
  rig.view.items.lines = {"old line"};
  rig.view.pane.text = "old report\r\n";
  rig.view.get_info_enabled = true;
  std::string path = "C:\\missing.tarninfo";
  rig.form.LoadInfoFile(path);
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text, "[frmMain.LoadInfoFile] File not found");
  EXPECT_EQ(rig.desktop.boxes[0].icon, BoxIcon::kExclamation);
  EXPECT_TRUE(rig.view.items.lines.empty());
  EXPECT_TRUE(rig.view.get_info_enabled);
  EXPECT_EQ(rig.view.pane.text, "old report\r\n");
}

TEST(LoadInfoFile, ACancelledChoiceKeepsTheListAndEmptiesThePane) {
  for (bool has_lines : {true, false}) {
    testing::Rig rig;
    if (has_lines) rig.view.items.lines = {"AppName=X"};
    rig.view.get_info_enabled = !has_lines;
    rig.view.pane.text = "old report\r\n";
    std::string path;
    rig.form.LoadInfoFile(path);
    EXPECT_EQ(rig.view.dialogs_shown, 1);
    EXPECT_EQ(rig.view.items.Count(), has_lines ? 1 : 0);
    EXPECT_EQ(rig.view.get_info_enabled, has_lines);
    EXPECT_EQ(rig.view.pane.text, "");
  }
}

TEST(LoadInfoFile, AChosenFileIsLoaded) {
  testing::Rig rig;
  rig.files.files["C:\\Scripts\\a.tarninfo"] = "AppName=A";
  rig.view.chosen_file = "C:\\Scripts\\a.tarninfo";
  std::string path;
  rig.form.LoadInfoFile(path);
  EXPECT_EQ(rig.view.items.lines, Lines{"AppName=A"});
  EXPECT_EQ(path, "C:\\Scripts\\a.tarninfo");
}

TEST(LoadInfoFile, MoreLinesThanTheListTakesAreCutWithAMessage) {
  testing::Rig rig;
  std::string content;
  for (int i = 0; i < kMaxItemLines + 5; ++i) content += "File=" + std::to_string(i) + "\r\n";
  rig.files.files["C:\\big.tarninfo"] = content;
  std::string path = "C:\\big.tarninfo";
  rig.form.LoadInfoFile(path);
  EXPECT_EQ(rig.view.items.Count(), kMaxItemLines);
  EXPECT_EQ(rig.view.items.lines.back(), "File=" + std::to_string(kMaxItemLines - 1));
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text,
            "[frmMain.LoadInfoFile] The info file has more than 32767 lines; only the first "
            "32767 were loaded.");
  EXPECT_TRUE(rig.view.get_info_enabled);
}

}  // namespace
}  // namespace tarn
