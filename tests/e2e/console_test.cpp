// tarninfoc.exe on its own: its exit codes, its command line, its answers to the folder
// questions, a stop by Ctrl+C, and the fields of its JSON report, also of a read-only audit.
// (The case files run through it too, in cases_test.cpp.)
#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "e2e/driver.h"
#include "e2e/expected.h"

namespace tarn::e2e {
namespace {

using Json = nlohmann::ordered_json;

// A run of tarninfoc on its own. In every text, '|' parts lines; {INFO}, {DIR} and {FIXTURES}
// stand for the info file and the folders, and the standard output given is only its start.
struct ConsoleRow {
  const char *name, *args, *info;
  DWORD exit_code;
  const char *out, *err;
  bool logged;
};

constexpr char kNotChosen[] =
    "{HEADER}|Install folder not found '{DIR}\\nowhere'|"
    "            Prompt user to find folder or stop script.|Install folder selection cancelled.|";
const ConsoleRow kRows[] = {
    {"usage", "-H", "", 0, "Usage: tarninfoc [options] INFOFILE", "", false},
    {"unknown_switch", "/verbose \"{INFO}\"", "AppName=x", 2, "",
     "tarninfoc: unknown switch /verbose", false},
    {"no_info_file", "/json /nolog", "", 2, "",
     "tarninfoc: no info file given (tarninfoc /? tells more)", false},
    {"two_info_files", "\"{INFO}\" other.tarninfo", "AppName=x", 2, "",
     "tarninfoc: only one info file, not also other.tarninfo", false},
    {"folder_that_is_missing", "/folder:{DIR}\\nowhere \"{INFO}\"", "InstallFolder=PROMPT", 2, "",
     "tarninfoc: no such folder for /folder: {DIR}\\nowhere", false},
    {"info_file_that_is_missing", "\"{DIR}\\none.tarninfo\"", "", 2, "",
     "[frmMain.LoadInfoFile] File not found", false},
    {"nolog", "/NoLog \"{INFO}\"", "AppName=Fleet", 0, "{HEADER}|Application name = Fleet|", "",
     false},
    {"install_folder_missing_and_not_chosen", "\"{INFO}\"", "InstallFolder={DIR}\\nowhere", 1,
     kNotChosen, "", true},
    // Why each component cannot be registered, a line for each that has a reason; the report
    // itself is the window's.
    {"reasons_on_standard_error", "/nolog \"{INFO}\"",
     "ActiveXComponent={FIXTURES}\\tarn_needs_absent.dll|"
     "ActiveXComponent={FIXTURES}\\tarn_other_machine.dll|"
     // The import is found in the copy's own folder first; a folder of its name is no DLL.
     "ActiveXComponent={FIXTURES}\\beside\\needs.dll|"
     "ActiveXComponent={FIXTURES}\\folder_beside\\needs.dll",
     1, "{HEADER}||ActiveXComponent: {FIXTURES}\\tarn_needs_absent.dll",
     "{FIXTURES}\\tarn_needs_absent.dll: imports tarn_absent.dll, which the loader cannot find|"
     "{FIXTURES}\\tarn_other_machine.dll: the file is for x86, the RegSvr32 that ran is for x64|"
     "{FIXTURES}\\folder_beside\\needs.dll: imports tarn_absent.dll, which the loader cannot "
     "find",
     false},
};

// The '|'-parted lines of a row's text, {HEADER} standing for the report header's lines.
Lines RowLines(const std::string& text) {
  Lines lines;
  for (std::size_t start = 0; start <= text.size() && !text.empty();) {
    const std::size_t end = std::min(text.find('|', start), text.size());
    const std::string line = text.substr(start, end - start);
    const Lines header = HeaderLines();
    if (line == "{HEADER}")
      lines.insert(lines.end(), header.begin(), header.end());
    else
      lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

class ConsoleTable : public ::testing::TestWithParam<ConsoleRow> {};

TEST_P(ConsoleTable, GivesItsExitCodeReportAndMessages) {
  const ConsoleRow& row = GetParam();
  Sandbox sandbox(std::string("console-") + row.name);
  const Values values = {{"DIR", sandbox.dir()},
                         {"INFO", sandbox.Path("case.tarninfo")},
                         {"FIXTURES", options().fixtures}};
  std::string info;
  for (const std::string& line : RowLines(row.info)) info += Expand(line, values) + "\r\n";
  if (!info.empty()) WriteFile(sandbox.Path("case.tarninfo"), info);
  const ConsoleRun run = RunConsole(sandbox, Expand(row.args, values));

  EXPECT_EQ(run.exit_code, row.exit_code);
  const Lines out = RowLines(row.out);
  Lines shown = SplitLines(run.out);
  shown.resize(std::min(shown.size(), out.size()));
  std::string text;
  for (const std::string& line : shown) text += line + "\r\n";
  ExpectLines(out, text, values, "standard output");
  ExpectLines(RowLines(row.err), run.err, values, "standard error");
  // The log file holds the report as the window's save would write it.
  EXPECT_EQ(ReadFile(sandbox.LogPath()),
            row.logged ? std::optional(run.out + "\r\n") : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Console, ConsoleTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether the class of the audit fixture is registered.
bool AuditFixtureRegistered() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, "Tarn.AuditFixture", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

// A JSON report as tarninfoc printed it, kept for the schema check that follows the tests.
Json KeptReport(const std::string& name, const std::string& out) {
  std::error_code ignored;
  std::filesystem::create_directories(options().reports, ignored);
  WriteFile(options().reports + "\\" + name + ".json", out);
  return Json::parse(out, nullptr, false);
}

TEST(ConsoleStop, CtrlCStopsTheRunAfterItsItemSavesTheLogAndEndsWithThree) {
  Sandbox sandbox("console-ctrl-c");
  const std::string info = sandbox.Path("slow.tarninfo");
  WriteFile(info, "AppName=Slow\r\nActiveXComponent=" + options().fixtures +
                      "\\tarn_com_slow.dll\r\nAppName=After\r\n");
  RegistrationGate gate;
  RunningConsole running(sandbox, Quoted(info));
  // The library's GUID is the last line out while the registration waits.
  const std::string waiting_at = "   CLSID: {6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B00}\r\n";
  ASSERT_TRUE(WaitUntil([&] { return EndsWith(running.Output(), waiting_at); }, 30000))
      << running.Output();

  // tarninfoc says when it has taken the key; the registration is still held until then.
  const std::string ctrl_c = options().fixtures + "\\ctrl_c.exe";
  const Child press(ctrl_c, CommandLine(ctrl_c, std::to_string(running.process_id())));
  ASSERT_EQ(press.Wait(), 0u) << "Ctrl+C could not be pressed in tarninfoc's console";
  ASSERT_TRUE(WaitUntil([&] {
    return running.Errors() == "tarninfoc: stopping after the current item\r\n";
  })) << running.Errors();
  EXPECT_TRUE(EndsWith(running.Output(), waiting_at)) << "the stop did not wait for the item:\n"
                                                      << running.Output();
  gate.Open();

  EXPECT_EQ(running.Wait(), 3u);
  const Lines out = SplitLines(running.Output());
  ASSERT_FALSE(out.empty());
  // The item under way ends; nothing after it runs, and no closing entry follows.
  EXPECT_EQ(out.back(), "   Register Component: OK") << running.Output();
  EXPECT_EQ(running.Output().find("Application name = After"), std::string::npos);
  EXPECT_EQ(ReadFile(sandbox.LogPath()), running.Output() + "\r\n");
}

// The JSON test's info file, a line an item, and each item's fields in the report but its line,
// text, value and time.
const struct {
  const char *line, *fields;
} kMixed[] = {
    {"AppName=Audit", R"({"kind":"item","type":"AppName","passed":true})"},
    {"InstallFolder={DIR}\\nowhere",
     R"({"kind":"item","type":"InstallFolder","exists":false,"chosen":null,"passed":false})"},
    {"File=%InstallFolder%\\x.dll", R"({"kind":"skipped","passed":false})"},
    {"File={FIXTURES}\\v1_0_0_23.dll",
     R"({"kind":"item","type":"File","exists":true,"version":"1.0.23","passed":true})"},
    {"ActiveXComponent={FIXTURES}\\tarn_com_audit.dll",
     R"({"kind":"item","type":"ActiveXComponent","exists":true,"version":"2.4.8",
       "typeLibrary":"{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B00}","registered":true,"passed":true})"},
    {"ActiveXComponent={DIR}\\missing.dll",
     R"({"kind":"item","type":"ActiveXComponent","exists":false,"registered":null,"passed":false})"},
    {"InstantiateObject=Tarn.NoSuchClass",
     R"({"kind":"item","type":"InstantiateObject","created":false,
       "error":"ActiveX component can't create object","passed":false})"},
    {"Colour=red", R"({"kind":"unknownType","type":"COLOUR","passed":false})"},
    {"File=%installfolder%\\x.dll",
     R"({"kind":"emptyVariable","variables":["InstallFolder"],"passed":false})"},
    {"ActiveXComponent={FIXTURES}\\tarn_needs_absent.dll",
     R"({"kind":"item","type":"ActiveXComponent","exists":true,"version":null,"typeLibrary":null,
       "error":"Error loading type library/DLL.","registered":false,
       "missingDependencies":["tarn_absent.dll"],"passed":false})"},
    {"ActiveXComponent={FIXTURES}\\tarn_other_machine.dll",
     R"({"kind":"item","type":"ActiveXComponent","exists":true,"version":null,"typeLibrary":null,
       "error":"Error loading type library/DLL.","registered":false,
       "machine":{"file":"x86","regsvr32":"x64"},"passed":false})"},
};

// The same info file twice: first as a read-only audit, which registers nothing, then as a run
// that registers, so that the audit's check can see a registration. The audit fixture's class is
// its own, removed first.
TEST(ConsoleJson, GivesEveryItemItsFieldsAndTheRunItsSummaryAndAnAuditRegistersNothing) {
  Sandbox sandbox("console-json");
  const std::string info = sandbox.Path("mixed.tarninfo");
  std::string text;
  for (const auto& item : kMixed)
    text += Expand(item.line, {{"DIR", sandbox.dir()}, {"FIXTURES", options().fixtures}}) + "\r\n";
  WriteFile(info, text);
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "Tarn.AuditFixture");
  const ConsoleRun audit = RunConsole(sandbox, "/noregister /json " + Quoted(info));
  const Json audited = KeptReport("audit", audit.out);
  ASSERT_FALSE(audited.is_discarded()) << audit.out;
  EXPECT_EQ(audited["readOnly"], true);
  for (const Json& item : audited["items"])
    EXPECT_TRUE(item.value("type", "") != "ActiveXComponent" || item["registered"].is_null())
        << item;
  EXPECT_NE(ReadFile(sandbox.LogPath())
                .value_or("")
                .find("   Register Component: NOT RUN - read-only audit\r\n"),
            std::string::npos);
  EXPECT_FALSE(AuditFixtureRegistered()) << "the audit registered the component";

  const ConsoleRun run = RunConsole(sandbox, "/json " + Quoted(info));
  EXPECT_TRUE(AuditFixtureRegistered());
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_EQ(run.err, "");
  const Json report = KeptReport("mixed", run.out);
  ASSERT_FALSE(report.is_discarded()) << run.out;
  ASSERT_EQ(report["items"].size(), std::size(kMixed)) << run.out;
  EXPECT_EQ(report["readOnly"], false);
  EXPECT_EQ(report["infoFile"], info);
  EXPECT_EQ(report["application"], "Audit");
  EXPECT_EQ(report["exitCode"], 1);
  EXPECT_EQ(report["summary"], Json({{"passed", 3}, {"failed", 8}}));
  for (std::size_t i = 0; i < std::size(kMixed); ++i) {
    // Compared as unordered objects: the order of the fields is the writer's own.
    nlohmann::json item = report["items"][i];
    EXPECT_EQ(item["line"], i + 1);
    EXPECT_EQ(item.contains("modified"), item.value("exists", false)) << "a time for a file";
    for (const char* field : {"line", "text", "value", "modified"}) item.erase(field);
    EXPECT_EQ(item, nlohmann::json::parse(kMixed[i].fields)) << kMixed[i].line;
  }
}

}  // namespace
}  // namespace tarn::e2e
