#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

TEST(LogEntry, AppendsTheEntryAndALineBreakAtTheVeryEnd) {
  testing::Rig rig;
  rig.form.LogEntry("first");
  rig.view.pane.selection_start = 1;  // the user selects "ir"
  rig.view.pane.selection_length = 2;
  rig.form.LogEntry("");
  rig.form.LogEntry("last\r\nline");
  EXPECT_EQ(rig.view.pane.text, "first\r\n\r\nlast\r\nline\r\n");
}

TEST(LogEntry, AFailingPaneIsReportedInABoxNotTheLog) {
  testing::Rig rig;
  rig.view.pane.broken = true;
  rig.form.LogEntry("lost");
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text, "[frmMain.LogEntry] Out of memory");
}

TEST(SaveLog, RestartsOnlyAFileLongerThan32767Bytes) {
  for (std::size_t size : {std::size_t{0}, std::size_t{32767}, std::size_t{32768}}) {
    testing::Rig rig;
    if (size > 0) rig.files.files[rig.LogPath()] = std::string(size, 'x');
    rig.view.pane.text = "report\r\n";
    rig.form.SaveLog();
    const std::string kept = size <= 32767 ? std::string(size, 'x') : "";
    EXPECT_EQ(rig.files.files[rig.LogPath()], kept + "report\r\n\r\n") << size;
  }
}

TEST(SaveLog, JoinsTheExeFolderWithOneBackslash) {
  for (const char* folder : {"C:\\", "C:\\Tools", "C:\\Tools\\"}) {
    testing::Rig rig;
    rig.desktop.exe_folder = folder;
    rig.form.SaveLog();
    const std::string expected = std::string(folder).back() == '\\'
                                     ? std::string(folder) + "Tarn Application Information.log"
                                     : std::string(folder) + "\\Tarn Application Information.log";
    EXPECT_EQ(rig.files.files.count(expected), 1u) << folder;
  }
}

TEST(SaveLog, AFileThatCannotBeWrittenShowsOneBoxAndKeepsThePane) {
  testing::Rig rig;
  rig.files.folders.insert(rig.LogPath());  // a folder stands where the log file should be
  rig.view.pane.text = "report\r\n";
  rig.form.SaveLog();
  ASSERT_EQ(rig.desktop.boxes.size(), 1u);
  EXPECT_EQ(rig.desktop.boxes[0].text, "[frmMain.SaveLog] Permission denied");
  EXPECT_EQ(rig.view.pane.text, "report\r\n");

  testing::Rig locked;
  locked.files.files[locked.LogPath()] = std::string(40000, 'x');
  locked.files.refuse[locked.LogPath()] = "Permission denied";
  locked.form.SaveLog();
  ASSERT_EQ(locked.desktop.boxes.size(), 1u);
  EXPECT_EQ(locked.desktop.boxes[0].text, "[frmMain.SaveLog] Permission denied");
}

TEST(Copy, PutsThePaneOrItsSelectionOnTheClipboardOrLeavesItEmpty) {
  testing::Rig rig;
  rig.form.CopyAllText();
  EXPECT_FALSE(rig.desktop.clipboard.has_value());
  rig.view.pane.text = "one\r\ntwo\r\n";
  rig.form.CopyAllText();
  EXPECT_EQ(rig.desktop.clipboard, "one\r\ntwo\r\n");
  rig.form.CopyText();  // nothing selected
  EXPECT_FALSE(rig.desktop.clipboard.has_value());
  rig.view.pane.selection_start = 5;
  rig.view.pane.selection_length = 3;
  rig.form.CopyText();
  EXPECT_EQ(rig.desktop.clipboard, "two");
  rig.desktop.clipboard_busy = true;
  rig.form.CopyAllText();  // nothing reported, nothing thrown
  EXPECT_TRUE(rig.desktop.boxes.empty());
}

}  // namespace
}  // namespace tarn
