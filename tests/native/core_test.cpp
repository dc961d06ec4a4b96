// What no real run produces on demand: line ends and bytes a text editor hardly writes, values
// whose inserted texts hold tokens, a machine without 32-bit special folders, a log file on the
// edge of its size limit and an executable at a drive root.
#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

using testing::Lines;
using testing::Rig;

// A NUL stays in its line (line ends and spaces: line-ends.case, runner-basics.case); a value's
// variables are replaced once each, in their order, the special folders falling back to the
// native ones.
TEST(Core, AnInfoFilesLinesAndVariablesAsTheReportGivesThem) {
  const struct {
    std::string info_file, install_folder, app_name;
    Lines named;  // the application names the report gives
  } cases[] = {
      {std::string("AppName=a\0b", 11), "", "", {std::string("a\0b", 3)}},
      {"AppName=%installfolder%\\%APPNAME%", "D:\\%AppName%", "Desk", {"D:\\Desk\\Desk"}},
      {"AppName=%AppName%", "", "%InstallFolder%", {"%InstallFolder%"}},
      {"AppName=%AppName%%AppName%", "", "%AppName%", {"%AppName%%AppName%"}},
      {"AppName=%%ProgramFiles%%", "", "", {"%C:\\PF%"}},
      {"AppName=%SystemFolder%%CommonFilesFolder%", "", "", {"C:\\SYSC:\\CF"}},
  };
  for (const auto& c : cases) {
    Rig rig;
    // Only the native folders (CSIDL 38, 43, 37), as a 32-bit Windows has them.
    rig.shell.folders = {{38, "C:\\PF"}, {43, "C:\\CF"}, {37, "C:\\SYS"}};
    rig.form.install_folder = c.install_folder;
    rig.form.app_name = c.app_name;
    rig.files.files["C:\\a.tarninfo"] = c.info_file;
    std::string path = "C:\\a.tarninfo";
    rig.form.LoadInfoFile(path);
    rig.form.Process();
    Lines pane{"(header)"};
    for (const std::string& name : c.named) pane.push_back("Application name = " + name);
    pane.push_back("");
    EXPECT_EQ(rig.PaneLines(), pane) << c.info_file;
  }
}

TEST(Core, TheLogFileStartsAfreshOnlyPast32767BytesAndLivesBesideTheExe) {
  const std::string kName = "Tarn Application Information.log";
  const struct {
    std::string exe_folder, log;
    std::size_t size;  // of the log file before the save
    bool kept;
  } cases[] = {{"C:\\Tools", "C:\\Tools\\" + kName, 32767, true},
               {"C:\\Tools", "C:\\Tools\\" + kName, 32768, false},
               {"C:\\", "C:\\" + kName, 0, true}};
  for (const auto& c : cases) {
    Rig rig;
    rig.desktop.exe_folder = c.exe_folder;
    rig.files.files[c.log] = std::string(c.size, 'x');
    rig.view.pane.text = "report\r\n";
    rig.form.SaveLog();
    EXPECT_EQ(rig.files.files[c.log], std::string(c.kept ? c.size : 0, 'x') + "report\r\n\r\n")
        << c.log << c.size;
  }
}

}  // namespace
}  // namespace tarn
