// What the end-to-end cases cannot reach: line ends and bytes a text editor hardly writes,
// variables whose values hold tokens, the shell's fallbacks, the log file's size limit and
// name, and what outlives a run.
#include <gtest/gtest.h>

#include "fakes.h"
#include "script/item_line.h"

namespace tarn {
namespace {

using testing::Lines;
using testing::Rig;

TEST(Core, InfoFileLinesEndOnlyAtCrLfOrALoneCrAndLoseOnlySpaces) {
  const std::pair<std::string, Lines> cases[] = {
      {"a\n\rb", {"a\n", "b"}},
      {"\r\r\n", {"", ""}},
      {std::string("a\0b", 3), {std::string("a\0b", 3)}},
      {" \tFile=a\t \r\n", {"\tFile=a\t"}},
  };
  for (const auto& [content, items] : cases) {
    Rig rig;
    rig.files.files["C:\\a.tarninfo"] = content;
    std::string path = "C:\\a.tarninfo";
    rig.form.LoadInfoFile(path);
    EXPECT_EQ(rig.view.items.lines, items) << content;
  }
  // Exactly as many lines as the list takes: all of them, without a word.
  Rig full;
  for (int i = 0; i < kMaxItemLines; ++i) full.files.files["C:\\full.tarninfo"] += "x\r\n";
  std::string path = "C:\\full.tarninfo";
  full.form.LoadInfoFile(path);
  EXPECT_EQ(full.view.items.lines.size(), std::size_t{kMaxItemLines});
  EXPECT_TRUE(full.desktop.boxes.empty());
}

TEST(Core, VariablesAreReplacedOnceInTheirOrderAndAskTheShellOnlyWhenNamed) {
  const std::string kNamed = "Application name = ";
  const struct {
    std::string value, install_folder, app_name;
    Lines entries;
    std::vector<int> asked;
  } cases[] = {
      {"%installfolder%\\%APPNAME%", "D:\\%AppName%", "Desk", {kNamed + "D:\\Desk\\Desk"}, {}},
      {"%AppName%", "", "%InstallFolder%", {kNamed + "%InstallFolder%"}, {}},
      {"%AppName%%AppName%", "", "%AppName%", {kNamed + "%AppName%%AppName%"}, {}},
      {"%%ProgramFiles%%", "", "", {kNamed + "%C:\\PF%"}, {38, 42}},
      {"%SystemFolder%%CommonFilesFolder%", "", "", {kNamed + "C:\\SYSC:\\CF"}, {43, 44, 37, 41}},
      {"C:\\plain", "", "", {kNamed + "C:\\plain"}, {}},
  };
  for (const auto& c : cases) {
    Rig rig;
    // Only the native folders: each falls back to them.
    rig.shell.folders = {{38, "C:\\PF"}, {43, "C:\\CF"}, {37, "C:\\SYS"}};
    rig.form.install_folder = c.install_folder;
    rig.form.app_name = c.app_name;
    Lines expected = c.entries;
    expected.push_back("");
    EXPECT_EQ(rig.Run({"AppName=" + c.value}), expected) << c.value;
    EXPECT_EQ(rig.shell.asked, c.asked) << c.value;
  }
}

TEST(Core, FileExistenceTrimsSpacesAndFolderExistenceDoesNot) {
  Rig rig;
  rig.files.files["C:\\a.dll"] = "";
  rig.files.folders.insert("C:\\Tools");
  EXPECT_TRUE(rig.form.DoesFileExist("  C:\\a.dll  "));
  EXPECT_FALSE(rig.form.DoesFileExist("\tC:\\a.dll"));
  EXPECT_FALSE(rig.form.DoesFolderExist(" C:\\Tools"));
  EXPECT_FALSE(rig.form.DoesFileExist("C:\\Tools"));
}

TEST(Core, TheLogFileStartsAfreshOnlyPast32767BytesAndLivesBesideTheExe) {
  for (const std::size_t size : {std::size_t{32767}, std::size_t{32768}}) {
    Rig rig;
    rig.files.files[rig.LogPath()] = std::string(size, 'x');
    rig.view.pane.text = "report\r\n";
    rig.form.SaveLog();
    EXPECT_EQ(rig.files.files[rig.LogPath()],
              (size <= 32767 ? std::string(size, 'x') : "") + "report\r\n\r\n")
        << size;
  }
  for (const std::string folder : {"C:\\", "C:\\Tools\\"}) {
    Rig rig;
    rig.desktop.exe_folder = folder;
    rig.form.SaveLog();
    EXPECT_EQ(rig.files.files.count(folder + "Tarn Application Information.log"), 1u) << folder;
  }
}

TEST(Core, TheApplicationNameOutlivesARunAndAMidnightClockShowsTheDateAlone) {
  Rig rig;
  rig.Run({"AppName=First"});
  rig.desktop.now = {2027, 1, 2, 0, 0, 0};
  rig.Run({"AppName=%AppName% again"});
  EXPECT_NE(rig.view.pane.text.find("Date/Time:  2/1/2027\r\n" + std::string(80, '=') +
                                    "\r\nApplication name = First again\r\n"),
            std::string::npos)
      << rig.view.pane.text;
}

}  // namespace
}  // namespace tarn
