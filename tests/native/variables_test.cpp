#include "script/variables.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "services/special_folders.h"

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

// The entries of one run of a single AppName=<value> line after the given script state, so the
// substituted value comes back in the "Application name = " entry.
struct Run {
  Lines entries;
  std::vector<int> asked;
};

Run RunValue(const std::string& value, const std::string& install_folder,
             const std::string& app_name) {
  testing::Rig rig;
  rig.shell.folders = {{38, "C:\\Program Files"},
                       {42, "C:\\Program Files (x86)"},
                       {43, "C:\\Program Files\\Common Files"},
                       {37, "C:\\windows\\system32"}};
  rig.form.install_folder = install_folder;
  rig.form.app_name = app_name;
  rig.view.items.lines = {"AppName=" + value};
  rig.form.Process();
  Run run;
  const std::string& pane = rig.view.pane.text;
  for (std::size_t start = 0, end; (end = pane.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    run.entries.push_back(pane.substr(start, end - start));
  run.entries = Lines(run.entries.begin() + 3, run.entries.end() - 1);  // no header, no closing
  run.asked = rig.shell.asked;
  return run;
}

TEST(ReplaceVariables, SubstitutesInTheFixedOrderWithoutRegardToCase) {
  const std::string kNamed = "Application name = ";
  struct Case {
    std::string value, install_folder, app_name;
    Lines entries;
  };
  const Case cases[] = {
      {"%programfiles%\\Tool\\a.dll", "", "", {kNamed + "C:\\Program Files (x86)\\Tool\\a.dll"}},
      {"%ProgramFiles%;%PROGRAMFILES%",
       "",
       "",
       {kNamed + "C:\\Program Files (x86);C:\\Program Files (x86)"}},
      {"%CommonFilesFolder%|%SystemFolder%",
       "",
       "",
       {kNamed + "C:\\Program Files\\Common Files|C:\\windows\\system32"}},
      {"%InstallFolder%\\a.dll", "C:\\Apps\\Tool", "", {kNamed + "C:\\Apps\\Tool\\a.dll"}},
      {"%InstallFolder%\\%AppName%.exe",
       "",
       "",
       {"%InstallFolder% is an empty variable.", "%AppName% is an empty variable."}},
      {"%AppName%.ini", "C:\\x", "", {"%AppName% is an empty variable."}},
      {"%installfolder%\\%APPNAME%", "D:\\%AppName%", "Desk", {kNamed + "D:\\Desk\\Desk"}},
      {"%AppName%", "", "%InstallFolder%", {kNamed + "%InstallFolder%"}},
      {"%AppName%%AppName%", "", "%AppName%", {kNamed + "%AppName%%AppName%"}},
      {"%InstallFolder%", "%ProgramFiles%", "", {kNamed + "%ProgramFiles%"}},
      {"%Windows%\\a.dll", "", "", {kNamed + "%Windows%\\a.dll"}},
      {"%ProgramFiles\\a.dll", "", "", {kNamed + "%ProgramFiles\\a.dll"}},
      {"ProgramFiles\\a.dll", "", "", {kNamed + "ProgramFiles\\a.dll"}},
      {"%%ProgramFiles%%", "", "", {kNamed + "%C:\\Program Files (x86)%"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunValue(c.value, c.install_folder, c.app_name).entries, c.entries) << c.value;
}

TEST(ReplaceVariables, FetchesAFolderOnlyWhenItsTokenOccurs) {
  const std::pair<std::string, std::vector<int>> cases[] = {
      {"C:\\plain", {}},
      {"%AppName%", {}},
      {"%SYSTEMFOLDER%%systemfolder%", {37, 41}},
      {"%SystemFolder%%CommonFilesFolder%", {43, 44, 37, 41}},
      {"%ProgramFiles", {}},
  };
  for (const auto& [value, asked] : cases)
    EXPECT_EQ(RunValue(value, "", "Desk").asked, asked) << value;
}

TEST(SpecialFolders, PreferThe32BitFolderAndAskForBothInOrder) {
  struct Case {
    std::map<int, std::string> shell;
    std::string program_files, common_files, system;
  };
  const Case cases[] = {
      {{{38, "N38"}, {42, "X42"}, {43, "N43"}, {44, "X44"}, {37, "N37"}, {41, "X41"}},
       "X42",
       "X44",
       "X41"},
      {{{38, "N38"}, {43, "N43"}, {37, "N37"}}, "N38", "N43", "N37"},
      {{{42, "X42"}}, "X42", "", ""},
      {{}, "", "", ""},
  };
  for (const Case& c : cases) {
    testing::Rig rig;
    rig.shell.folders = c.shell;
    EXPECT_EQ(GetProgramFilesFolder(rig.shell, rig.form), c.program_files);
    EXPECT_EQ(GetCommonFilesFolder(rig.shell, rig.form), c.common_files);
    EXPECT_EQ(GetSystemFolder(rig.shell, rig.form), c.system);
    EXPECT_EQ(rig.shell.asked, (std::vector<int>{38, 42, 43, 44, 37, 41}));
  }
}

TEST(SpecialFolders, AFailingShellGivesEmptyTextSilently) {
  testing::Rig rig;
  rig.shell.broken = true;
  EXPECT_EQ(GetSpecialFolder(rig.shell, rig.form, 38), "");
  EXPECT_EQ(GetSystemFolder(rig.shell, rig.form), "");
  EXPECT_TRUE(rig.desktop.boxes.empty());
  EXPECT_EQ(rig.view.pane.text, "");
}

TEST(VariableTokens, AreMatchedWithoutRegardToCaseInOnePass) {
  EXPECT_EQ(MakeVariableToken("AppName"), "%AppName%");
  EXPECT_EQ(FindToken("x%APPname%", "%AppName%"), 1u);
  EXPECT_EQ(FindToken("%AppName", "%AppName%"), std::string::npos);
  EXPECT_EQ(FindToken("%AppName%", "%AppName%", 1), std::string::npos);
  EXPECT_EQ(ReplaceToken("%a%%A%b%a", "%a%", "%a%"), "%a%%a%b%a");
  EXPECT_EQ(ReplaceToken("", "%a%", "x"), "");
}

}  // namespace
}  // namespace tarn
