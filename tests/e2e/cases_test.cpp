// Runs every tests/e2e/cases/*.case through the real tarninfo.exe; the format is described in
// docs/TESTING.md.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>

#include "e2e/driver.h"
#include "e2e/expected.h"
#include "script/item_line.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

// A case's sections, each the list of its lines; placeholders kept.
std::map<std::string, Lines> ParseCase(const std::string& text) {
  std::map<std::string, Lines> sections;
  Lines* section = nullptr;
  std::string line;
  for (std::size_t start = 0; start < text.size(); start += line.size() + 1) {
    line = text.substr(start, text.find('\n', start) - start);
    const std::string bare =
        !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']') {
      section = &sections[bare.substr(1, bare.size() - 2)];
    } else if (section && bare == "{HEADER}") {
      const Lines header = HeaderLines();
      section->insert(section->end(), header.begin(), header.end());
    } else if (section) {
      section->push_back(bare);
    }
  }
  return sections;
}

// Gives the file the local modification time "YYYY-MM-DD HH:MM:SS".
void SetLocalTime(const std::string& path, const std::string& time) {
  SYSTEMTIME t{};
  ASSERT_EQ(std::sscanf(time.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &t.wYear, &t.wMonth, &t.wDay,
                        &t.wHour, &t.wMinute, &t.wSecond),
            6);
  FILETIME local, utc;
  ASSERT_TRUE(::SystemTimeToFileTime(&t, &local) && ::LocalFileTimeToFileTime(&local, &utc));
  HANDLE file =
      ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc)) << path;
  ::CloseHandle(file);
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(options().cases, error))
    if (entry.path().extension() == ".case") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The command line that makes tarninfoc.exe give the answers the case gives: OK to every
// question, and one folder (or none) for every browser; nothing when the case needs answers the
// console edition never gives, a command line of its own, or the window's commands.
std::optional<std::string> ConsoleArguments(std::map<std::string, Lines>& c, const Values& values) {
  if (c.count("args") || !c["after"].empty()) return std::nullopt;
  std::optional<std::string> folder;
  for (const std::string& box : c["boxes"]) {
    if (box.starts_with("cancel:") || box.starts_with("close:")) return std::nullopt;
    if (!box.starts_with("browse:")) continue;
    const std::string chosen = Expand(std::string(TrimSpaces(box.substr(7))), values);
    if (folder && *folder != chosen) return std::nullopt;
    folder = chosen;
  }
  std::string args = Quoted(values.at("INFO"));
  if (folder && !folder->empty()) args = Quoted("-Folder:" + *folder) + " " + args;
  return args;
}

// The report tarninfoc.exe must print: the pane's lines, its header's time matched as a time.
Lines ExpectedConsoleReport(const std::string& pane) {
  Lines lines = SplitLines(pane);
  for (std::string& line : lines)
    if (line.starts_with("Date/Time:  ")) line = "Date/Time:  {DATETIME}";
  return lines;
}

class InfoFileCase : public ::testing::TestWithParam<std::string> {};

TEST_P(InfoFileCase, GivesTheExpectedBoxesWindowAndLog) {
  const auto text = ReadFile(options().cases + "\\" + GetParam() + ".case");
  ASSERT_TRUE(text.has_value());
  std::map<std::string, Lines> c = ParseCase(*text);
  for (const auto& [name, lines] : c)
    ASSERT_TRUE(
        std::string(",files,locked,info,info raw,args,boxes,after,items,get-info,log,pane,exit,")
            .find("," + name + ",") != std::string::npos)
        << "unknown section [" << name << "]";
  Sandbox sandbox(GetParam());
  const std::string info_path = sandbox.Path("case.tarninfo");
  const Values values = {
      {"DIR", sandbox.dir()}, {"INFO", info_path}, {"FIXTURES", options().fixtures}};
  // NAME/ a folder; NAME @ TIME a file of that time; NAME = TEXT; NAME an empty file.
  for (const std::string& line : c["files"]) {
    const std::size_t at = line.find(" @ "), eq = line.find(" = ");
    const std::string path = sandbox.Path(line.substr(0, std::min(at, eq)));
    if (line.back() == '/')
      ASSERT_TRUE(::CreateDirectoryA(path.substr(0, path.size() - 1).c_str(), nullptr));
    else
      WriteFile(path, eq == std::string::npos ? "" : Unescape(line.substr(eq + 3)));
    if (at != std::string::npos) SetLocalTime(path, line.substr(at + 3));
  }
  std::vector<HANDLE> locks;
  for (const std::string& name : c["locked"]) {
    locks.push_back(::CreateFileA(sandbox.Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(locks.back(), INVALID_HANDLE_VALUE) << name;
  }
  std::string info;
  for (const std::string& line : c["info"]) info += Unescape(Expand(line, values)) + "\r\n";
  for (const std::string& line : c["info raw"]) info += Unescape(Expand(line, values));
  WriteFile(info_path, info);
  const std::string args = c.count("args") ? (c["args"].empty() ? "" : c["args"][0]) : "\"{INFO}\"";
  RunningTool tool(sandbox.exe(), sandbox.CommandLine(Expand(args, values)));

  // "browse: FOLDER" the folder browser, the folder chosen, or cancelled when none; a question
  // answered with "ok: ", "cancel: " or "close: " (its close box); else a box, answered with OK.
  static const std::regex kStep("(browse|ok|cancel|close): ?(.*)");
  for (const std::string& expected : c["boxes"]) {
    std::smatch step;
    const bool answer = std::regex_match(expected, step, kStep);
    const std::string how = answer ? step[1].str() : "", text = answer ? step[2].str() : expected;
    if (how == "browse") {
      EXPECT_TRUE(tool.AnswerFolderBrowser(Expand(text, values))) << "no folder browser";
      continue;
    }
    std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow();
    ASSERT_TRUE(box.has_value()) << "expected the box: " << expected;
    EXPECT_EQ(box->title, "Tarn Application Information");
    EXPECT_EQ(box->text, Unescape(Expand(text, values)));
    EXPECT_EQ(box->question, answer) << "a question has OK and Cancel, a box only OK";
    if (how == "close")
      ::PostMessageA(box->hwnd, WM_CLOSE, 0, 0);
    else
      tool.Answer(*box, how == "cancel" ? IDCANCEL : IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box->hwnd); })) << expected;
  }
  tool.WaitForWindowWithoutBoxes();
  ASSERT_NE(tool.main_window(), nullptr);
  EXPECT_EQ(WindowText(tool.main_window()), "Tarn Application Information");
  for (const std::string& action : c["after"]) {
    ASSERT_EQ(action, "get-info");  // a run, which ends with the save of its log
    const std::optional<std::string> before = ReadFile(sandbox.LogPath());
    tool.Click(IDC_CMD_GET_INFO);
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(sandbox.LogPath()) != before; })) << action;
  }
  if (c.count("items")) {
    Lines expected;
    for (const std::string& item : c["items"]) expected.push_back(Unescape(Expand(item, values)));
    EXPECT_EQ(tool.Items(), expected);
  }
  if (c.count("get-info")) {
    EXPECT_EQ(tool.IsEnabled(IDC_CMD_GET_INFO), c["get-info"] == Lines{"enabled"});
  }

  const std::string pane = tool.LogText();
  const std::optional<std::string> log = ReadFile(sandbox.LogPath());
  EXPECT_EQ(log.has_value(), c.count("log") > 0) << "a log file beside the exe";
  if (log && c.count("log")) ExpectLines(c["log"], *log, values, "log file");
  if (c.count("pane")) {
    ExpectLines(c["pane"], pane + "\r\n", values, "log pane");
  } else if (log) {
    // Each save writes the pane's text and one more line break.
    EXPECT_TRUE(EndsWith(*log, pane + "\r\n")) << "the log file does not end with the pane:\n"
                                               << pane;
  } else {
    EXPECT_EQ(pane, "");
  }
  EXPECT_TRUE(tool.Close()) << "the program did not end when its window was closed";

  // The same script through the console edition, beside the same log file and locks: the same
  // report on standard output, each box's text as a line on standard error, the case's exit code,
  // and the report appended to the log as the window's save appends it.
  if (const std::optional<std::string> args = ConsoleArguments(c, values)) {
    const ConsoleRun run = RunConsole(sandbox, *args);
    ASSERT_EQ(c["exit"].size(), 1u) << "a case that tarninfoc runs gives its exit code in [exit]";
    EXPECT_EQ(run.exit_code, std::stoul(c["exit"][0]));
    ExpectLines(ExpectedConsoleReport(pane), run.out, {}, "tarninfoc's report");
    if (log && !c.count("pane")) {
      EXPECT_EQ(ReadFile(sandbox.LogPath()), *log + run.out + "\r\n");
    }
    Lines messages;
    for (const std::string& box : c["boxes"])
      if (!box.starts_with("ok:") && !box.starts_with("browse:")) messages.push_back(box);
    ExpectLines(messages, run.err, values, "tarninfoc's messages");
  }
  for (HANDLE lock : locks) ::CloseHandle(lock);
}

INSTANTIATE_TEST_SUITE_P(Cases, InfoFileCase, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) {
                           return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
                         });

}  // namespace
}  // namespace tarn::e2e
