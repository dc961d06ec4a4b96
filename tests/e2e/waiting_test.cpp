// A run waiting for the registration tool, seen from outside: the window answers and repaints,
// the entries written so far are in the pane, no run starts inside the run, and a close asked for
// meanwhile ends the run after its item, with the log saved.
#include <windows.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "e2e/driver.h"
#include "e2e/expected.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(WaitingRun, AnswersShowsItsEntriesRunsNothingInsideAndClosesAfterSavingTheLog) {
  Sandbox sandbox("waiting-run");
  const std::string info = sandbox.Path("slow.tarninfo");
  WriteFile(info, "AppName=Slow\r\nActiveXComponent=" + options().fixtures +
                      "\\tarn_com_slow.dll\r\nAppName=After\r\n");
  RegistrationGate gate;
  gate.Open();  // for the start-up's run
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(Quoted(info)));
  ASSERT_FALSE(tool.WaitForBoxOrWindow().has_value());
  const std::optional<std::string> first_run = ReadFile(sandbox.LogPath());
  ASSERT_TRUE(first_run.has_value());

  gate.Close();
  tool.Click(IDC_CMD_GET_INFO);
  // The library's GUID is the last entry while the registration runs.
  const std::string waiting_at = "   CLSID: {6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B00}\r\n";
  ASSERT_TRUE(WaitUntil([&] { return EndsWith(tool.LogText(), waiting_at); }, 20000))
      << tool.LogText();

  // The deadline is only for a machine under load: the wait ends its slice for any message.
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(::SendMessageTimeoutA(tool.main_window(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored))
      << "no answer during the wait";
  HWND pane = tool.Control(IDC_TXT_LOG);
  ::RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_TRUE(WaitUntil([&] { return !::GetUpdateRect(pane, nullptr, FALSE); }, 5000))
      << "the pane was not repainted";

  // Open and Get Info are refused at once; Exit is kept for the run's end.
  tool.Command(tool.main_window(), IDC_CMD_OPEN);
  tool.Command(tool.main_window(), IDC_CMD_GET_INFO);
  tool.Command(tool.main_window(), IDC_CMD_EXIT);
  EXPECT_EQ(::FindWindowA(TARN_FILE_DIALOG_CLASS, nullptr), nullptr);
  EXPECT_TRUE(EndsWith(tool.LogText(), waiting_at))
      << "the commands were not taken during the wait";

  gate.Open();
  ASSERT_TRUE(tool.Ends(30000)) << "the window did not close after the run";
  const std::optional<std::string> log = ReadFile(sandbox.LogPath());
  ASSERT_TRUE(log.has_value());
  // The second save writes the whole pane again: the first run and the second, nothing nested.
  const std::string second_save = log->substr(std::min(log->size(), first_run->size()));
  EXPECT_EQ(Count(second_save, "Date/Time:  "), 2u) << *log;
  EXPECT_TRUE(EndsWith(second_save, waiting_at + "   Register Component: OK\r\n\r\n"))
      << second_save;
}

}  // namespace
}  // namespace tarn::e2e
