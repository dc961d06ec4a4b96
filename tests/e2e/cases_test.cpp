// Runs every tests/e2e/cases/*.case through the real tarninfo.exe; the format is described in
// docs/TESTING.md.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>

#include "e2e/driver.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

using Lines = std::vector<std::string>;
using Values = std::map<std::string, std::string>;

std::string Expand(std::string text, const Values& values) {
  for (const auto& [key, value] : values) {
    const std::string token = "{" + key + "}";
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  }
  return text;
}

// {CR}, {LF}, {TAB} and {xHH}, one byte in hexadecimal.
std::string Unescape(const std::string& text) {
  static const std::regex kByte(R"(\{x([0-9A-Fa-f]{2})\})");
  std::string rest = Expand(text, {{"CR", "\r"}, {"LF", "\n"}, {"TAB", "\t"}}), out;
  for (std::smatch m; std::regex_search(rest, m, kByte); rest = m.suffix().str())
    out += m.prefix().str() + static_cast<char>(std::stoi(m[1].str(), nullptr, 16));
  return out + rest;
}

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
      const std::string rule(80, '=');
      section->insert(section->end(), {rule, "Date/Time:  {DATETIME}", rule});
    } else if (section) {
      section->push_back(bare);
    }
  }
  return sections;
}

// `expected` with {DATETIME} standing for a short date and, unless it is midnight, a time.
bool LineMatches(const std::string& expected, const std::string& actual) {
  const std::size_t at = expected.find("{DATETIME}");
  if (at == std::string::npos) return expected == actual;
  const std::string before = expected.substr(0, at), after = expected.substr(at + 10);
  static const std::regex kDateTime(
      R"([0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2}( ?[AP]M)?)?)");
  return actual.size() >= before.size() + after.size() && actual.rfind(before, 0) == 0 &&
         actual.compare(actual.size() - after.size(), after.size(), after) == 0 &&
         std::regex_match(actual.substr(before.size(), actual.size() - at - after.size()),
                          kDateTime);
}

void ExpectLines(const Lines& expected, const std::string& text, const Values& values,
                 const char* what) {
  Lines lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back("(no line end) " + text.substr(start));
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
    EXPECT_TRUE(LineMatches(Unescape(Expand(expected[i], values)), lines[i]))
        << what << " line " << i + 1 << "\n  expected: " << expected[i]
        << "\n  actual:   " << lines[i];
  EXPECT_EQ(lines.size(), expected.size()) << what << ":\n" << text;
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

class InfoFileCase : public ::testing::TestWithParam<std::string> {};

TEST_P(InfoFileCase, GivesTheExpectedBoxesWindowAndLog) {
  const auto text = ReadFile(options().cases + "\\" + GetParam() + ".case");
  ASSERT_TRUE(text.has_value());
  std::map<std::string, Lines> c = ParseCase(*text);
  for (const auto& [name, lines] : c)
    ASSERT_TRUE(std::string(",files,locked,info,info raw,args,boxes,after,items,get-info,log,pane,")
                    .find("," + name + ",") != std::string::npos)
        << "unknown section [" << name << "]";
  Sandbox sandbox(GetParam());
  const std::string info_path = sandbox.Path("case.tarninfo");
  const Values values = {
      {"DIR", sandbox.dir()}, {"INFO", info_path}, {"FIXTURES", options().fixtures}};
  auto path_of = [&](const std::string& name) {
    const std::string path = Expand(name, values);
    return path.find(':') == std::string::npos ? sandbox.Path(path) : path;
  };
  // Files made outside the case's folder (a full path) are removed at the end, whatever happens.
  struct Outside {
    std::vector<std::string> paths;
    ~Outside() {
      std::error_code ignored;
      for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        std::filesystem::remove_all(*path, ignored);
    }
  } outside;
  // NAME/ a folder; NAME @ TIME a file of that time; NAME = TEXT; NAME an empty file.
  for (const std::string& line : c["files"]) {
    const std::size_t at = line.find(" @ "), eq = line.find(" = ");
    const std::string name = line.substr(0, std::min(at, eq));
    if (Expand(name, values).find(':') != std::string::npos) outside.paths.push_back(path_of(name));
    if (line.back() == '/')
      ASSERT_TRUE(::CreateDirectoryA(path_of(name.substr(0, name.size() - 1)).c_str(), nullptr));
    else
      WriteFile(path_of(name), eq == std::string::npos ? "" : Unescape(line.substr(eq + 3)));
    if (at != std::string::npos) SetLocalTime(path_of(name), line.substr(at + 3));
  }
  std::vector<HANDLE> locks;
  for (const std::string& name : c["locked"]) {
    locks.push_back(::CreateFileA(path_of(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
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
    // A question shows the information icon (once painted), OK and Cancel; a box only OK.
    EXPECT_EQ(WaitUntil([&] { return tool.FindBox().value_or(MessageBoxSeen{}).question; },
                        answer ? 10000 : 0),
              answer)
        << "a question has the information icon, OK and Cancel";
    if (how == "close")
      ::PostMessageA(box->hwnd, WM_CLOSE, 0, 0);
    else
      tool.Answer(*box, how == "cancel" ? IDCANCEL : IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box->hwnd); })) << expected;
  }
  while (std::optional<MessageBoxSeen> extra = tool.WaitForBoxOrWindow()) {
    ADD_FAILURE() << "unexpected message box: " << extra->text;
    tool.Answer(*extra);
  }
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
    EXPECT_TRUE(log->size() >= pane.size() + 2 &&
                log->compare(log->size() - pane.size() - 2, std::string::npos, pane + "\r\n") == 0)
        << "the log file does not end with the pane:\n"
        << pane;
  } else {
    EXPECT_EQ(pane, "");
  }
  for (HANDLE lock : locks) ::CloseHandle(lock);
  EXPECT_TRUE(tool.Close()) << "the program did not end when its window was closed";
}

INSTANTIATE_TEST_SUITE_P(Cases, InfoFileCase, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) {
                           return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
                         });

}  // namespace
}  // namespace tarn::e2e
