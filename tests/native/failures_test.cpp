// Every injected failure of the platform, and where its report ends: in the log, in a box, or
// nowhere; and what the run does next.
#include <functional>
#include <gtest/gtest.h>

#include "console/json_report.h"
#include "fakes.h"
#include "services/error_string.h"
#include "services/failure.h"

namespace tarn {
namespace {

using testing::Lines;
using testing::Rig;

// Runs a script of these item lines.
std::function<void(Rig&)> Script(const Lines& items) {
  return [items](Rig& rig) { rig.Run(items); };
}

TEST(Failures, EachEndsWhereItsModeSaysAndTheRestGoesOn) {
  const struct {
    const char* what;
    std::function<void(Rig&)> arrange, act;
    Lines pane;  // the pane's lines afterwards
    std::vector<std::string> boxes;
    bool saved;  // whether the log file ends with the pane
  } cases[] = {
      {"a file that vanishes before its date is read",
       [](Rig& r) {
         r.files.files["C:\\gone.dll"] = "MZ";
         r.files.refuse["C:\\gone.dll"] = "Permission denied";
       },
       Script({"File=C:\\gone.dll", "AppName=after"}),
       Rig::WithHeader({"", "File: C:\\gone.dll", "[frmMain.GetFileInfo] Permission denied",
                        "Application name = after", ""}),
       {},
       true},
      {"a component that vanishes before its date is read: nothing is registered",
       [](Rig& r) {
         r.files.files["C:\\gone.ocx"] = "MZ";
         r.files.refuse["C:\\gone.ocx"] = "Permission denied";
         r.com.libraries["C:\\gone.ocx"] = "{GUID}";
       },
       [](Rig& r) {
         r.Run({"ActiveXComponent=C:\\gone.ocx", "AppName=after"});
         EXPECT_EQ(r.processes.command_lines, Lines{});
       },
       Rig::WithHeader({"", "ActiveXComponent: C:\\gone.ocx",
                        "[frmMain.GetActiveXInfo] Permission denied", "Application name = after",
                        ""}),
       {},
       true},
      {"a path in quotes goes to the registration tool as it is; one that starts nothing fails",
       [](Rig& r) {
         r.files.files["\"C:\\x.ocx\""] = "MZ";
         r.processes.exit["RegSvr32 /S \"C:\\x.ocx\""] = Processes::kCannotStart;
         r.com.classes.insert("A.B");
       },
       [](Rig& r) {
         r.Run({"ActiveXComponent=\"C:\\x.ocx\"", "InstantiateObject=A.B"});
         EXPECT_EQ(r.processes.command_lines, Lines{"RegSvr32 /S \"C:\\x.ocx\""});
         EXPECT_EQ(r.com.held, 0) << "a reader or an object outlived its check";
       },
       Rig::WithHeader({"", "ActiveXComponent: \"C:\\x.ocx\"", "   File Date: 4/3/2025 10:20:30",
                        "   Version: ", "   CLSID: Error loading type library/DLL.",
                        "   Register Component: ERROR - Cannot register", "",
                        "InstantiateObject: A.B", "   Instantiate Object Check: OK", ""}),
       {},
       true},
      {"no type-library reader to be had",
       [](Rig& r) {
         r.files.files["C:\\x.ocx"] = "MZ";
         r.com.no_reader = true;
       },
       Script({"ActiveXComponent=C:\\x.ocx"}),
       Rig::WithHeader({"", "ActiveXComponent: C:\\x.ocx", "   File Date: 4/3/2025 10:20:30",
                        "   Version: ", "   CLSID: Error instantiating a TypeLibInfo object.",
                        "   Register Component: OK", ""}),
       {},
       true},
      {"a version query that fails",
       [](Rig& r) {
         r.files.files["C:\\a.dll"] = "MZ";
         r.files.refuse_version["C:\\a.dll"] = "(bad_alloc)";
       },
       Script({"FILE=C:\\a.dll"}),
       Rig::WithHeader(
           {"", "File: C:\\a.dll", "   File Date: 4/3/2025 10:20:30", "   Version: ", ""}),
       {"[frmMain.GetFileVersion] Out of memory"},
       true},
      {"a pane that takes nothing",
       [](Rig& r) { r.view.pane.failure = ""; },
       Script({"AppName=A"}),
       {},
       std::vector<std::string>(5, "[frmMain.LogEntry] Unexpected error"),
       true},
      {"a list that shrinks under the run",
       [](Rig& r) { r.view.items.claimed_count = 3; },
       Script({"AppName=A"}),
       Rig::WithHeader({"Application name = A"}),
       {"[frmMain.Process] Invalid property array index"},
       true},
      {"a shell that fails: the folders are empty text, silently",
       [](Rig& r) { r.shell.broken = true; },
       Script({"AppName=%ProgramFiles%|%CommonFilesFolder%|%SystemFolder%"}),
       Rig::WithHeader({"Application name = ||", ""}),
       {},
       true},
      {"a folder browser that fails: it says why, and counts as cancelled",
       [](Rig& r) {
         r.files.folders = {"C:\\Tools"};
         r.desktop.answers = {true};
         r.shell.chosen = {"(fail)"};
       },
       [](Rig& r) {
         r.Run({"AppName=Desk", "InstallFolder=C:\\gone", "InstallFolder=C:\\Tools",
                "AppName=%InstallFolder%"});
         EXPECT_EQ(r.shell.titles, Lines{"Select Desk Folder"});
       },
       Rig::WithHeader({"Application name = Desk", "Install folder not found 'C:\\gone'",
                        "            Prompt user to find folder or stop script.",
                        "Install folder selection cancelled.", "Set InstallFolder=C:\\Tools",
                        "Skipping AppName=%InstallFolder%", ""}),
       {"? Please specify where Desk is installed.  The folder 'C:\\gone' does not exist.\n\n"
        "Press OK to proceed, or Cancel to stop running the script.",
        "Out of memory"},
       true},
      {"an info file that cannot be read",
       [](Rig& r) {
         r.view.items.lines = {"old line"};
         r.view.pane.text = "old report\r\n";
         r.view.get_info_enabled = true;
       },
       [](Rig& r) {
         std::string path = "C:\\missing.tarninfo";
         r.form.LoadInfoFile(path);
         EXPECT_TRUE(r.view.items.lines.empty());
         EXPECT_TRUE(r.view.get_info_enabled);
       },
       {"old report"},
       {"[frmMain.LoadInfoFile] File not found"},
       false},
      {"an info file longer than the list takes",
       [](Rig& r) {
         for (int i = 0; i < kMaxItemLines + 5; ++i)
           r.files.files["C:\\big.tarninfo"] += "File=" + std::to_string(i) + "\r\n";
       },
       [](Rig& r) {
         std::string path = "C:\\big.tarninfo";
         r.form.LoadInfoFile(path);
         EXPECT_EQ(r.view.items.lines.size(), std::size_t{kMaxItemLines});
         EXPECT_EQ(r.view.items.lines.back(), "File=" + std::to_string(kMaxItemLines - 1));
       },
       {},
       {"[frmMain.LoadInfoFile] The info file has more than 32767 lines; only the first 32767 "
        "were loaded."},
       false},
      {"a busy clipboard: nothing is said",
       [](Rig& r) {
         r.view.pane.text = "report\r\n";
         r.desktop.clipboard_busy = true;
       },
       [](Rig& r) {
         r.form.CopyAllText();
         r.form.CopyText();
         EXPECT_EQ(r.desktop.clipboard, "old clipboard text");
       },
       {"report"},
       {},
       false},
  };
  for (const auto& c : cases) {
    Rig rig;
    c.arrange(rig);
    c.act(rig);
    EXPECT_EQ(rig.PaneLines(), c.pane) << c.what;
    std::vector<std::string> boxes;
    for (const auto& box : rig.desktop.boxes) {
      boxes.push_back(box.text);
      EXPECT_EQ(box.icon, box.text[0] == '?' ? BoxIcon::kInformation : BoxIcon::kExclamation)
          << c.what;
    }
    EXPECT_EQ(boxes, c.boxes) << c.what;
    const std::string& log = rig.files.files[rig.LogPath()];
    const std::string tail = rig.view.pane.text + "\r\n";
    EXPECT_EQ(
        log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0,
        c.saved)
        << c.what;
  }
}

// The console edition's exit code: a run that its own failure handler ends was stopped.
TEST(Failures, ARunThatItsFailureHandlerEndsExitsAsStopped) {
  struct : Diagnostics {
    LoadDiagnosis ExplainRegistration(const std::string&) override { return {}; }
    LoadDiagnosis ExplainCreation(const std::string&) override { return {}; }
  } diagnostics;
  const struct {
    Lines items;
    std::optional<int> claimed_count;
    console::ExitCode code;
  } cases[] = {{{"AppName=A"}, std::nullopt, console::kPassed},
               {{"File=C:\\missing.dll"}, std::nullopt, console::kFailed},
               {{"AppName=A"}, 3, console::kStopped}};
  for (const auto& c : cases) {
    Rig rig;
    console::JsonReport report(
        diagnostics, [](std::string_view text) { return std::string(text); },
        [](std::string_view) {}, 0);
    MainForm form({rig.files, rig.desktop, rig.shell, rig.com, rig.processes}, rig.view, report);
    rig.view.items.lines = c.items;
    rig.view.items.claimed_count = c.claimed_count;
    form.Process();
    EXPECT_EQ(report.exit_code(), c.code) << c.items[0];
  }
}

TEST(Failures, TheErrorTextAndTheSystemsDescriptions) {
  EXPECT_EQ(ErrorString("D", "Process", 12, "frmMain"), "[frmMain.Process (12)] D");
  EXPECT_EQ(ErrorString("D", "", 0, "frmMain"), "[frmMain] D");
  EXPECT_EQ(ErrorString("D", "", 0, ""), "D");
  EXPECT_EQ(DescribeSystemError(1234, "Some platform text.\r\n"), "Some platform text.");
  EXPECT_EQ(DescribeSystemError(0x8000FFFF, " \r\n"), "Unexpected error (0x8000FFFF)");
}

}  // namespace
}  // namespace tarn
