// The failures a real machine produces but no run produces on demand: where each one's report
// ends (the log, a box), what the machine keeps, and the console edition's exit code.
#include <functional>
#include <gtest/gtest.h>

#include "console/run_report.h"
#include "fakes.h"
#include "services/failure.h"

namespace tarn {
namespace {

using testing::Lines;
using testing::Rig;

// 32,767 lines whose last names the application, then `more` lines that would rename it.
Lines FullInfoFile(int more) {
  Lines lines(kMaxItemLines - 1, "x");
  lines.push_back("AppName=last");
  lines.insert(lines.end(), more, "AppName=cut");
  return lines;
}

TEST(Failures, EachEndsInTheLogOrABoxAndTheRunEndsAsItsExitCodeSays) {
  const std::string kInfo = "C:\\info.tarninfo";
  const std::string kSaveFailed = "! [frmMain.SaveLog] Permission denied";
  const struct {
    const char* what;
    std::function<void(Rig&)> arrange;
    Lines info_file;
    // What the user sees and the machine keeps: the pane's lines, the boxes, the command lines
    // run, the log file, the exit code.
    Lines seen;
  } cases[] = {
      {"a file that vanishes mid-run, under a File and an ActiveXComponent item: none is "
       "registered",
       [](Rig& r) {
         r.files.files["C:\\gone.ocx"] = "MZ";
         r.files.refuse["C:\\gone.ocx"] = "File not found";
       },
       {"File=C:\\gone.ocx", "ActiveXComponent=C:\\gone.ocx", "AppName=after"},
       {"(header)", "", "File: C:\\gone.ocx", "[frmMain.GetFileInfo] File not found", "",
        "ActiveXComponent: C:\\gone.ocx", "[frmMain.GetActiveXInfo] File not found",
        "Application name = after", "", "log saved", "exit 1"}},
      {"a RegSvr32 whose exit code cannot be read has not registered the file",
       [](Rig& r) {
         r.files.files["C:\\x.ocx"] = "MZ";
         r.processes.ends["RegSvr32 /S \"C:\\x.ocx\""] = {ProgramEnd::Kind::kNoExitCode, 0, {}};
       },
       {"ActiveXComponent=C:\\x.ocx"},
       {"(header)", "", "ActiveXComponent: C:\\x.ocx", "   File Date: 4/3/2025 10:20:30",
        "   Version: ", "   CLSID: Error loading type library/DLL.",
        "   Register Component: ERROR - Cannot register", "", "> RegSvr32 /S \"C:\\x.ocx\"",
        "log saved", "exit 1"}},
      {"a folder browser that fails: it says why, and counts as cancelled",
       [](Rig& r) {
         r.desktop.answers = {true};
         r.shell.chosen = {"(fail)"};
       },
       {"AppName=Desk", "InstallFolder=C:\\gone", "AppName=%InstallFolder%"},
       {"(header)", "Application name = Desk", "Install folder not found 'C:\\gone'",
        "            Prompt user to find folder or stop script.",
        "Install folder selection cancelled.", "Skipping AppName=%InstallFolder%", "",
        "? Please specify where Desk is installed.  The folder 'C:\\gone' does not exist.\n\n"
        "Press OK to proceed, or Cancel to stop running the script.",
        "! Out of memory", "log saved", "exit 1"}},
      {"a list that shrinks during a run",
       [](Rig& r) { r.view.items.claimed_count = 3; },
       {"AppName=A"},
       {"(header)", "Application name = A", "! [frmMain.Process] Invalid property array index",
        "log saved", "exit 3"}},
      {"an info file that cannot be read: the old list goes, the old report stays, nothing runs",
       [](Rig& r) {
         r.view.items.lines = {"old line"};
         r.view.pane.text = "old report\r\n";
       },
       {},
       {"old report", "! [frmMain.LoadInfoFile] File not found", "log unchanged",
        "not run, items listed: 0"}},
      {"a log path that is a folder",
       [](Rig& r) { r.files.folders.insert(r.LogPath()); },
       {"AppName=A"},
       {"(header)", "Application name = A", "", kSaveFailed, "log unchanged", "exit 0"}},
      {"an info file of as many lines as the list takes",
       {},
       FullInfoFile(0),
       {"(header)", "Application name = last", "", "log saved", "exit 0"}},
      {"an info file longer than the list takes",
       {},
       FullInfoFile(5),
       {"(header)", "Application name = last", "",
        "! [frmMain.LoadInfoFile] The info file has more than 32767 lines; only the first 32767 "
        "were loaded.",
        "log saved", "exit 0"}},
  };
  struct : Diagnostics {
    bool Elevated() override { return false; }
    LoadDiagnosis ExplainRegistration(const std::string&) override { return {}; }
    CreationDiagnosis ExplainCreation(const std::string&) override { return {}; }
  } diagnostics;
  for (const auto& c : cases) {
    console::RunReport report(diagnostics, {});
    Rig rig(report);
    const std::string old_log = "old log\r\n";
    rig.files.files[rig.LogPath()] = old_log;
    for (const std::string& line : c.info_file) rig.files.files[kInfo] += line + "\r\n";
    if (c.arrange) c.arrange(rig);
    // As the console edition does: the info file runs only when it was read.
    std::string path = kInfo;
    const bool read = rig.form.LoadInfoFile(path);
    if (read) rig.form.Process();
    Lines seen = rig.PaneLines();
    seen.insert(seen.end(), rig.desktop.boxes.begin(), rig.desktop.boxes.end());
    for (const std::string& line : rig.processes.command_lines) seen.push_back("> " + line);
    const std::string& log = rig.files.files[rig.LogPath()];
    seen.push_back(log == old_log                                 ? "log unchanged"
                   : log == old_log + rig.view.pane.text + "\r\n" ? "log saved"
                                                                  : "log: " + log);
    // The number itself, which is what the caller's script sees.
    seen.push_back(read ? "exit " + std::to_string(report.exit_code())
                        : "not run, items listed: " + std::to_string(rig.view.items.lines.size()));
    EXPECT_EQ(seen, c.seen) << c.what;
  }
}

// A system error's description reaches the log as one line of its own, never empty.
TEST(Failures, ASystemErrorIsDescribedOnOneLineAndNeverEmpty) {
  EXPECT_EQ(DescribeSystemError(1234, "Some platform text.\r\n"), "Some platform text.");
  EXPECT_EQ(DescribeSystemError(0x8000FFFF, " \r\n"), "Unexpected error (0x8000FFFF)");
}

}  // namespace
}  // namespace tarn
