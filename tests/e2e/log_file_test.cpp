// The log file beside the exe and the window's own state, through the real program.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/driver.h"
#include "e2e/sandbox.h"
#include "services/texts.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

constexpr char kScript[] = "AppName=Logged\r\n";

// Starts the sandbox's exe on a one-line script and waits for its window; boxes are returned.
std::vector<std::string> RunToWindow(RunningTool& tool) {
  std::vector<std::string> boxes;
  while (std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow()) {
    boxes.push_back(box->text);
    tool.Answer(*box);
  }
  return boxes;
}

TEST(LogFile, ASaveThatCannotWriteShowsOneBoxAndKeepsTheReport) {
  // A read-only attribute does not stop root under Wine, so a lock held by this process stands
  // for a file that cannot be written.
  for (const bool folder_in_place : {true, false}) {
    Sandbox sandbox(folder_in_place ? "log-folder" : "log-locked");
    WriteFile(sandbox.Path("a.tarninfo"), kScript);
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (folder_in_place) {
      ASSERT_TRUE(::CreateDirectoryA(sandbox.LogPath().c_str(), nullptr));
    } else {
      WriteFile(sandbox.LogPath(), "kept\r\n");
      lock = ::CreateFileA(sandbox.LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    }
    RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("a.tarninfo")));
    EXPECT_EQ(RunToWindow(tool), std::vector<std::string>{"[frmMain.SaveLog] Permission denied"});
    EXPECT_NE(tool.LogText().find("Application name = Logged\r\n\r\n"), std::string::npos);
    if (!folder_in_place) {
      EXPECT_EQ(ReadFile(sandbox.LogPath()), "kept\r\n");
      ::CloseHandle(lock);
    }
    EXPECT_TRUE(tool.Close());
  }
}

TEST(LogFile, IsStartedAfreshOnlyWhenLongerThan32767Bytes) {
  for (const std::size_t size : {std::size_t{32767}, std::size_t{32768}}) {
    Sandbox sandbox("log-size-" + std::to_string(size));
    WriteFile(sandbox.Path("a.tarninfo"), kScript);
    const std::string old(size, 'o');
    WriteFile(sandbox.LogPath(), old);
    RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("a.tarninfo")));
    EXPECT_TRUE(RunToWindow(tool).empty());
    const std::string pane = tool.LogText();
    EXPECT_EQ(ReadFile(sandbox.LogPath()), (size <= 32767 ? old : "") + pane + "\r\n") << size;
    EXPECT_TRUE(tool.Close());
  }
}

TEST(LogFile, GetInfoTwiceAppendsToThePaneAndSavesItWhole) {
  Sandbox sandbox("get-info-twice");
  WriteFile(sandbox.Path("a.tarninfo"), kScript);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("a.tarninfo")));
  EXPECT_TRUE(RunToWindow(tool).empty());
  const std::string first = tool.LogText();
  tool.Click(IDC_CMD_GET_INFO);
  const std::string both = tool.LogText();
  EXPECT_EQ(both.rfind(first, 0), 0u);
  EXPECT_GT(both.size(), first.size());
  EXPECT_EQ(ReadFile(sandbox.LogPath()), first + "\r\n" + both + "\r\n");
  EXPECT_TRUE(tool.Close());
}

TEST(Window, WithoutACommandLineNothingRunsAndGetInfoIsDisabled) {
  Sandbox sandbox("no-command-line");
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(""));
  EXPECT_TRUE(RunToWindow(tool).empty());
  EXPECT_EQ(WindowText(tool.main_window()), text::kAppTitle);
  EXPECT_TRUE(tool.Items().empty());
  EXPECT_EQ(tool.LogText(), "");
  EXPECT_FALSE(tool.IsEnabled(IDC_CMD_GET_INFO));
  EXPECT_TRUE(tool.IsEnabled(IDC_CMD_OPEN));
  EXPECT_FALSE(ReadFile(sandbox.LogPath()).has_value());
  EXPECT_TRUE(tool.Close());
}

TEST(Window, AReportOfSeveralMegabytesStaysWholeInThePaneAndTheFile) {
  Sandbox sandbox("large-report");
  const std::string name(300, 'n');
  std::string script;
  for (int i = 0; i < 12000; ++i) script += "AppName=" + std::to_string(i) + name + "\r\n";
  WriteFile(sandbox.Path("big.tarninfo"), script);
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(sandbox.Path("big.tarninfo")));
  EXPECT_TRUE(RunToWindow(tool).empty());
  const std::string pane = tool.LogText();
  EXPECT_GT(pane.size(), 12000u * 300u);
  EXPECT_NE(pane.find("Application name = 11999" + name + "\r\n\r\n"), std::string::npos);
  EXPECT_EQ(ReadFile(sandbox.LogPath()), pane + "\r\n");
  EXPECT_TRUE(tool.Close());
}

}  // namespace
}  // namespace tarn::e2e
