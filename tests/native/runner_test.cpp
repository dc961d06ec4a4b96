#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

const std::string kRule(80, '=');
const std::string kDateLine = "Date/Time:  6/12/2026 14:5:9";

// The pane's lines (each ended by CR LF) after the three header lines.
Lines EntriesAfterHeader(const std::string& pane) {
  Lines lines;
  std::size_t start = 0;
  while (start < pane.size()) {
    std::size_t end = pane.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "the pane must end with CR LF";
    if (end == std::string::npos) break;
    lines.push_back(pane.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_GE(lines.size(), 3u);
  if (lines.size() < 3) return lines;
  EXPECT_EQ(lines[0], kRule);
  EXPECT_EQ(lines[1], kDateLine);
  EXPECT_EQ(lines[2], kRule);
  return Lines(lines.begin() + 3, lines.end());
}

TEST(Process, EachItemLineGivesItsEntries) {
  const std::pair<std::string, Lines> cases[] = {
      {"AppName=Order Desk", {"Application name = Order Desk"}},
      {"  appname  =  Order Desk=2  ", {"Application name = Order Desk=2"}},
      {"AppName=", {"Application name = "}},
      {"Files=C:\\Tools\\a.dll", {"Script Error:  Unknown item type = FILES"}},
      {"=C:\\x", {"Script Error:  Unknown item type = "}},
      {"Set X=Y", {"Script Error:  Unknown item type = SET X"}},
      {"Colour\t=red", {"Script Error:  Unknown item type = COLOUR\t"}},
      {";File=C:\\x", {}},
      {"  ; comment = yes", {}},
      {"; File C:\\x", {}},
      {"no equals sign here", {}},
      {"", {}},
      {"Invalid file.", {}},
      {"\xEF\xBB\xBF"
       "AppName=X",
       {"Script Error:  Unknown item type = \xEF\xBB\xBF"
        "APPNAME"}},
  };
  for (const auto& [line, entries] : cases) {
    testing::Rig rig;
    rig.view.items.lines = {line};
    rig.form.Process();
    Lines expected = entries;
    expected.push_back("");  // the run's closing empty entry
    EXPECT_EQ(EntriesAfterHeader(rig.view.pane.text), expected) << line;
  }
}

TEST(Process, AnEmptyListGivesTheHeaderAndOneEmptyEntryAndSaves) {
  testing::Rig rig;
  rig.form.Process();
  EXPECT_EQ(EntriesAfterHeader(rig.view.pane.text), Lines{""});
  EXPECT_EQ(rig.files.files[rig.LogPath()], rig.view.pane.text + "\r\n");
}

TEST(Process, AppNameOutlivesTheRunAndAMidnightClockShowsTheDateOnly) {
  testing::Rig rig;
  rig.view.items.lines = {"AppName=First"};
  rig.form.Process();
  const std::string first_report = rig.view.pane.text;
  rig.view.items.lines = {"File"};
  rig.desktop.now = {2027, 1, 2, 0, 0, 0};
  rig.form.Process();
  EXPECT_EQ(rig.form.app_name, "First");
  EXPECT_NE(rig.view.pane.text.find("Date/Time:  2/1/2027\r\n"), std::string::npos);
  // The second run appended to the first, and its save wrote both again.
  EXPECT_EQ(rig.view.pane.text.rfind(first_report, 0), 0u);
  EXPECT_EQ(rig.files.files[rig.LogPath()], first_report + "\r\n" + rig.view.pane.text + "\r\n");
}

TEST(Process, AnExistingInstallFolderIsSetUnchanged) {
  testing::Rig rig;
  rig.files.folders.insert("C:\\Apps\\Tool\\");
  rig.view.items.lines = {"InstallFolder = C:\\Apps\\Tool\\"};
  rig.form.Process();
  EXPECT_EQ(EntriesAfterHeader(rig.view.pane.text),
            (Lines{"Set InstallFolder=C:\\Apps\\Tool\\", ""}));
  EXPECT_EQ(rig.form.install_folder, "C:\\Apps\\Tool\\");
}

TEST(Process, AFailureBreaksTheRunOffWithABoxAndStillSaves) {
  testing::Rig rig;
  // The list shrinks under the run: the bound taken at its start now points past the end.
  struct ShrinkingItems final : ItemList {
    int reads = 0;
    void Clear() override {}
    void AddAll(const std::vector<std::string>&) override {}
    int Count() override { return 3; }
    std::string At(int position) override {
      if (position >= 1) throw Failure("Invalid property array index");
      return "AppName=A";
    }
  } items;
  struct View final : MainView {
    ItemList* items;
    LogPane* pane;
    ItemList& Items() override { return *items; }
    LogPane& Log() override { return *pane; }
    void EnableGetInfo(bool) override {}
    std::string FileDialog(std::string_view, std::string_view) override { return {}; }
  } view;
  view.items = &items;
  view.pane = &rig.view.pane;
  MainForm form({rig.files, rig.desktop, rig.shell}, view);
  form.Process();
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text, "[frmMain.Process] Invalid property array index");
  // No closing empty entry after a broken-off run, but the log is saved.
  EXPECT_EQ(EntriesAfterHeader(rig.view.pane.text), Lines{"Application name = A"});
  EXPECT_EQ(rig.files.files[rig.LogPath()], rig.view.pane.text + "\r\n");
}

}  // namespace
}  // namespace tarn
