// Runs every tests/e2e/cases/*.case through the real tarninfoc.exe, and the cases marked [window]
// through the real tarninfo.exe too; docs/TESTING.md describes the format.
#include <windows.h>

#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "e2e/driver.h"

namespace tarn::e2e {
namespace {

using Values = std::map<std::string, std::string>;
using Sections = std::map<std::string, Lines>;

// Every "{KEY}" of `values` replaced by its value.
std::string Expand(std::string text, const Values& values) {
  for (const auto& [key, value] : values) {
    const std::string token = "{" + key + "}";
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  }
  return text;
}

// {CR}, {LF}, {TAB} and {xHH}, one byte in hexadecimal, as those bytes.
std::string Unescape(const std::string& text) {
  static const std::regex kByte(R"(\{x([0-9A-Fa-f]{2})\})");
  std::string rest = Expand(text, {{"CR", "\r"}, {"LF", "\n"}, {"TAB", "\t"}}), out;
  for (std::smatch m; std::regex_search(rest, m, kByte); rest = m.suffix().str())
    out += m.prefix().str() + static_cast<char>(std::stoi(m[1].str(), nullptr, 16));
  return out + rest;
}

// `expected` with {DATETIME} standing for a short date and, unless it is midnight, a time.
bool LineMatches(const std::string& expected, const std::string& actual) {
  const std::size_t at = expected.find("{DATETIME}");
  if (at == std::string::npos) return expected == actual;
  const std::string before = expected.substr(0, at), after = expected.substr(at + 10);
  static const std::regex kDateTime(
      R"([0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2}( ?[AP]M)?)?)");
  return actual.size() >= before.size() + after.size() && actual.starts_with(before) &&
         actual.ends_with(after) &&
         std::regex_match(actual.substr(at, actual.size() - at - after.size()), kDateTime);
}

// A time of the JSON report: ISO 8601 with its offset from UTC.
const std::regex& IsoTime() {
  static const std::regex kIso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
  return kIso;
}

// A report's times of day as {TIME}: two runs of one script differ in nothing else.
std::string Timeless(const std::string& text) {
  static const std::regex kLocal(R"([0-9]{1,2}:[0-9]{2}:[0-9]{2}( ?[AP]M)?)");
  return std::regex_replace(std::regex_replace(text, IsoTime(), "{TIME}"), kLocal, "{TIME}");
}

// The CR LF lines of a text; an unended last line is marked as such.
Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back("(no line end) " + text.substr(start));
  return lines;
}

// The text's lines against `expected` (expanded and unescaped), each mismatch a failure.
void ExpectLines(const Lines& expected, const std::string& text, const Values& values,
                 const std::string& what) {
  const Lines lines = SplitLines(text);
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
    EXPECT_TRUE(LineMatches(Unescape(Expand(expected[i], values)), lines[i]))
        << what << " line " << i + 1 << "\n  expected: " << expected[i]
        << "\n  actual:   " << lines[i];
  EXPECT_EQ(lines.size(), expected.size()) << what << ":\n" << text;
}

// A case's sections, each the list of its lines; {HEADER} stands for the report header's lines.
Sections ParseCase(const std::string& text) {
  Sections sections;
  Lines* section = nullptr;
  const std::string rule(80, '=');
  for (std::string line : SplitLines(std::regex_replace(text, std::regex("\r?\n"), "\r\n"))) {
    if (line.size() > 2 && line.front() == '[' && line.back() == ']')
      section = &sections[line.substr(1, line.size() - 2)];
    else if (section && line == "{HEADER}")
      section->insert(section->end(), {rule, "Date/Time:  {DATETIME}", rule});
    else if (section)
      section->push_back(line);
  }
  return sections;
}

// Gives the file the modification time "YYYY-MM-DD HH:MM:SS", local, or in UTC after " UTC".
void SetModifiedTime(const std::string& path, const std::string& time) {
  SYSTEMTIME t{};
  ASSERT_EQ(std::sscanf(time.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &t.wYear, &t.wMonth, &t.wDay,
                        &t.wHour, &t.wMinute, &t.wSecond),
            6);
  FILETIME given, utc;
  ASSERT_TRUE(::SystemTimeToFileTime(&t, &given));
  utc = given;
  if (!time.ends_with(" UTC")) {
    ASSERT_TRUE(::LocalFileTimeToFileTime(&given, &utc));
  }
  HANDLE file =
      ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc)) << path;
  ::CloseHandle(file);
}

// A text of `code_page` in UTF-16.
std::wstring Widen(const std::string& text, UINT code_page) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
  return wide;
}

// The path in UTF-16, each {uHHHH} the character of that code: a name the ANSI functions cannot
// write, as a name outside the system's code page.
std::wstring Wide(const std::string& path) {
  static const std::regex kCode(R"(\{u([0-9A-Fa-f]{4})\})");
  std::wstring wide;
  std::string rest = path;
  for (std::smatch m; std::regex_search(rest, m, kCode); rest = m.suffix().str()) {
    wide += Widen(m.prefix().str(), CP_ACP);
    wide += static_cast<wchar_t>(std::stoi(m[1].str(), nullptr, 16));
  }
  return wide + Widen(rest, CP_ACP);
}

// Lengthens the file to `length` bytes ("3G") with a hole, as in a sparse file, which takes no
// disk.
void Lengthen(const std::string& path, const std::string& length) {
  std::size_t digits = 0;
  LARGE_INTEGER end{};
  end.QuadPart = std::stoll(length, &digits);
  if (digits < length.size()) {
    const std::size_t unit = std::string_view("KMG").find(length[digits]);
    ASSERT_TRUE(unit != std::string_view::npos && digits + 1 == length.size()) << length;
    for (std::size_t i = 0; i <= unit; ++i) end.QuadPart *= 1024;
  }
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD returned = 0;
  ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file)) << path;
  ::CloseHandle(file);
}

// A case's folder with its files, its info file and its locks, for one run.
struct Laid {
  Laid(const std::string& name, Sections& c)
      : sandbox(name, c.count("share") > 0),
        values{{"DIR", sandbox.dir()},
               {"INFO", sandbox.Path("case.tarninfo")},
               {"FIXTURES", options().fixtures}} {
    // {SHA256:name}: the digest in the fixture's name.sha256, as sha256sum wrote it.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(options().fixtures, error))
      if (entry.path().extension() == ".sha256")
        values["SHA256:" + entry.path().stem().string()] =
            ReadFile(entry.path().string()).value_or("").substr(0, 64);
    for (const std::string& line : c["files"]) {
      const std::size_t at = line.find(" @ "), eq = line.find(" = "), from = line.find(" < ");
      const std::size_t to = from == std::string::npos ? from : line.find(" ~ ", from);
      const std::string path = sandbox.Path(Unescape(line.substr(0, std::min({at, eq, from}))));
      if (line.back() == '/') {
        EXPECT_TRUE(::CreateDirectoryW(Wide(path.substr(0, path.size() - 1)).c_str(), nullptr));
      } else if (from != std::string::npos) {
        const std::string source = Expand(line.substr(from + 3, to - from - 3), values);
        EXPECT_TRUE(::CopyFileW(Wide(source).c_str(), Wide(path).c_str(), FALSE)) << line;
        if (to != std::string::npos) Lengthen(path, line.substr(to + 3));
      } else {
        WriteFile(path,
                  eq == std::string::npos ? "" : Unescape(Expand(line.substr(eq + 3), values)));
      }
      if (at != std::string::npos) SetModifiedTime(path, line.substr(at + 3));
    }
    for (const std::string& command : c["setup"])
      EXPECT_EQ(Child(Expand(command, values), {}, true).Wait(60000), 0u) << command;
    for (std::string name : c["locked"]) {
      const bool unshared = name.ends_with(" (unshared)");
      if (unshared) name.resize(name.size() - 11);
      locks.push_back(::CreateFileA(sandbox.Path(name).c_str(), GENERIC_READ,
                                    unshared ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
      EXPECT_NE(locks.back(), INVALID_HANDLE_VALUE) << name;
    }
    std::string info;
    for (const std::string& line : c["info"]) info += Unescape(Expand(line, values)) + "\r\n";
    for (const std::string& line : c["info raw"]) info += Unescape(Expand(line, values));
    WriteFile(values["INFO"], info);
    for (const std::string& line : c["encode"]) Encode(line);
  }
  ~Laid() {
    for (HANDLE lock : locks) ::CloseHandle(lock);
  }
  void Encode(const std::string& line) {
    const std::size_t blank = line.find(' ');
    const std::string how = line.substr(0, blank), path = sandbox.Path(line.substr(blank + 1));
    const std::string text = ReadFile(path).value_or("");
    const std::wstring wide = Widen(text, how == "powershell" ? CP_OEMCP : CP_ACP);
    std::string bytes;
    if (how == "utf-8-bom") {
      bytes.resize(wide.size() * 3);
      bytes.resize(static_cast<std::size_t>(
          ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr)));
      bytes.insert(0, "\xEF\xBB\xBF");
    } else {
      EXPECT_TRUE(how == "utf-16le" || how == "powershell") << "[encode] " << line;
      bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    }
    WriteFile(path, bytes);
  }

  std::string Args(Sections& c) {
    return Expand(c.count("args") ? (c["args"].empty() ? "" : c["args"][0]) : "\"{INFO}\"", values);
  }

  Sandbox sandbox;
  Values values;
  std::vector<HANDLE> locks;
};

// The log file beside the exe, which exists only where the case gives its lines.
std::optional<std::string> ExpectLogFile(Laid& laid, Sections& c) {
  const std::optional<std::string> log = ReadFile(laid.sandbox.LogPath());
  EXPECT_EQ(log.has_value(), c.count("log") > 0) << "a log file beside the exe";
  if (log && c.count("log")) ExpectLines(c["log"], *log, laid.values, "log file");
  return log;
}

// The texts of the boxes that are no questions, which tarninfoc writes to standard error.
Lines PlainBoxes(Sections& c) {
  Lines texts;
  for (const std::string& box : c["boxes"])
    if (!std::regex_match(box, std::regex("(ok|browse): ?.*"))) texts.push_back(box);
  return texts;
}

void RunThroughWindow(const std::string& name, Sections& c) {
  Laid laid(name, c);
  RunningTool tool(laid.sandbox.Run("tarninfo.exe", laid.Args(c)));
  static const std::regex kStep("(browse|ok|cancel|close): ?(.*)");
  for (const std::string& expected : c["boxes"]) {
    std::smatch step;
    const bool answer = std::regex_match(expected, step, kStep);
    const std::string how = answer ? step[1].str() : "", text = answer ? step[2].str() : expected;
    if (how == "browse") {
      EXPECT_TRUE(tool.AnswerFolderBrowser(Expand(text, laid.values))) << "no folder browser";
      continue;
    }
    std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow();
    ASSERT_TRUE(box.has_value()) << "expected the box: " << expected;
    EXPECT_EQ(box->title, "Tarn Application Information");
    EXPECT_EQ(box->text, Unescape(Expand(text, laid.values)));
    EXPECT_EQ(box->question, answer) << "a question has OK and Cancel, a box only OK";
    if (how == "close") {
      ::PostMessageA(box->hwnd, WM_CLOSE, 0, 0);
      EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box->hwnd); })) << expected;
    } else {
      tool.Press(box->hwnd, how == "cancel" ? IDCANCEL : IDOK);
    }
  }
  tool.WaitForWindowWithoutBoxes();
  ASSERT_NE(tool.main_window(), nullptr);
  EXPECT_EQ(WindowText(tool.main_window()), "Tarn Application Information");
  const std::string log_path = laid.sandbox.LogPath();
  for (const std::string& action : c["after"]) {
    if (action == "open") {  // the file dialog, answered with OK: a file is loaded
      const Lines before = tool.Items();
      tool.Click(IDC_CMD_OPEN);
      HWND dialog = tool.WaitForWindow(TARN_FILE_DIALOG_CLASS);
      ASSERT_NE(dialog, nullptr) << "no file dialog";
      if (c.count("share")) {
        EXPECT_EQ(::SendDlgItemMessageA(dialog, IDC_DRV_DRIVE, CB_GETCURSEL, 0, 0), CB_ERR)
            << "a drive is selected for a folder on a share";
      }
      tool.Press(dialog, IDOK);
      EXPECT_TRUE(WaitUntil([&] { return tool.Items() != before; })) << action;
      continue;
    }
    ASSERT_EQ(action, "get-info");  // a run, which ends with the save of its log
    const std::optional<std::string> before = ReadFile(log_path);
    tool.Click(IDC_CMD_GET_INFO);
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(log_path) != before; })) << action;
  }
  if (c.count("items")) {
    Lines expected;
    for (const std::string& item : c["items"])
      expected.push_back(Unescape(Expand(item, laid.values)));
    EXPECT_EQ(tool.Items(), expected);
  }
  if (c.count("get-info")) {
    EXPECT_EQ(::IsWindowEnabled(tool.Control(IDC_CMD_GET_INFO)) != FALSE,
              c["get-info"] == Lines{"enabled"});
  }
  const std::string pane = tool.LogText();
  const std::optional<std::string> log = ExpectLogFile(laid, c);
  if (c.count("pane"))
    ExpectLines(c["pane"], pane + "\r\n", laid.values, "log pane");
  else  // each save writes the pane's text and one more line break
    EXPECT_TRUE(log ? log->ends_with(pane + "\r\n") : pane.empty()) << "the pane:\n" << pane;
  EXPECT_TRUE(tool.Close()) << "the program did not end when its window was closed";
}

// The fields that `expected` names, each against `actual`'s: a field not named is not looked at, a
// named object is matched the same way, "{ABSENT}" says the field is not there and "{TIME}"
// stands for any time.
void ExpectFields(const nlohmann::json& expected, const nlohmann::json& actual,
                  const std::string& where) {
  for (const auto& [key, value] : expected.items()) {
    const std::string at = where + "." + key;
    const bool present = actual.is_object() && actual.contains(key);
    if (value == "{ABSENT}") {
      EXPECT_FALSE(present) << at << " is " << (present ? actual.at(key).dump() : "");
    } else if (!present) {
      ADD_FAILURE() << at << " is absent";
    } else if (value.is_object()) {
      ExpectFields(value, actual.at(key), at);
    } else if (value == "{TIME}") {
      const nlohmann::json& time = actual.at(key);
      EXPECT_TRUE(time.is_string() && std::regex_match(time.get<std::string>(), IsoTime()))
          << at << " is " << time;
    } else {
      EXPECT_EQ(actual.at(key), value) << at;
    }
  }
}

// A JSON report, kept for the schema check that follows the tests, against the [json] lines: the
// first names fields of the document, each other line fields of the item of its "line".
void ExpectJson(const std::string& name, const std::string& out, const Lines& expected,
                const Values& values) {
  std::error_code ignored;
  std::filesystem::create_directories(options().reports, ignored);
  WriteFile(options().reports + "\\" + name + ".json", out);
  const nlohmann::json report = nlohmann::json::parse(out, nullptr, false);
  ASSERT_TRUE(report.is_object()) << out;
  // Backslashes of the expanded paths doubled, as JSON writes them.
  Values escaped = values;
  for (auto& [key, value] : escaped)
    value = std::regex_replace(value, std::regex(R"(\\)"), R"(\\)");
  auto parse = [&](const std::string& line) {
    return nlohmann::json::parse(Expand(line, escaped));
  };
  ExpectFields(parse(expected.at(0)), report, "report");
  for (std::size_t i = 1; i < expected.size(); ++i) {
    const nlohmann::json fields = parse(expected[i]);
    ASSERT_TRUE(fields.contains("line")) << "an item is named by its line: " << expected[i];
    const nlohmann::json items = report.value("items", nlohmann::json::array());
    const auto item = std::find_if(items.begin(), items.end(), [&](const auto& it) {
      return it.value("line", 0) == fields["line"];
    });
    if (item == items.end())
      ADD_FAILURE() << "no item of line " << fields["line"] << " in\n" << out;
    else
      ExpectFields(fields, *item, "item " + fields["line"].dump());
  }
}

void RunThroughConsole(const std::string& name, Sections& c) {
  Laid laid(name + "-console", c);
  // One folder answers every folder browser; none cancels them all.
  std::string folder, answer;
  for (const std::string& box : c["boxes"])
    if (box.starts_with("browse:")) folder = Expand(box.substr(7), laid.values);
  folder.erase(0, folder.find_first_not_of(' '));
  if (!folder.empty()) answer = Quoted("-Folder:" + folder) + " ";
  const std::string args = answer + laid.Args(c);
  const ConsoleRun run = RunConsole(laid.sandbox, args);
  ASSERT_EQ(c["exit"].size(), 1u) << "[exit] holds the exit code";
  EXPECT_EQ(run.exit_code, std::stoul(c["exit"][0]));
  // The report as the pane shows it, the log file as it was before or with the report and one
  // more line break.
  Lines report = c.count("pane") ? c["pane"] : c.count("log") ? c["log"] : Lines{};
  if (!report.empty()) report.pop_back();
  if (c.count("like")) {
    const std::string like = answer + Expand(c["like"].at(0), laid.values);
    EXPECT_FALSE(run.out.empty());
    EXPECT_EQ(Timeless(run.out), Timeless(RunConsole(laid.sandbox, like).out)) << like;
  } else {
    ExpectLines(report, run.out, laid.values, "standard output");
  }
  ExpectLines(c.count("stderr") ? c["stderr"] : PlainBoxes(c), run.err, laid.values,
              "standard error");
  const std::optional<std::string> log = ExpectLogFile(laid, c);

  if (c.count("json")) {
    const ConsoleRun json = RunConsole(laid.sandbox, "/json /nolog " + args);
    EXPECT_EQ(json.exit_code, run.exit_code);
    ExpectJson(name, json.out, c["json"], laid.values);
  }
  static const std::regex kRun(R"(([0-9]+) \| (.*) \| (.*))");
  for (const std::string& line : c["runs"]) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, kRun)) << line;
    const ConsoleRun other = RunConsole(laid.sandbox, Expand(m[2].str(), laid.values));
    EXPECT_EQ(other.exit_code, std::stoul(m[1].str())) << line;
    const std::string text = Unescape(Expand(m[3].str(), laid.values));
    if (other.err.empty())
      EXPECT_NE(("\r\n" + other.out).find("\r\n" + text + "\r\n"), std::string::npos) << line;
    else
      EXPECT_EQ(other.err, text + "\r\n") << line;
    EXPECT_EQ(ReadFile(laid.sandbox.LogPath()), log) << line;
  }
  const std::string out_file = laid.sandbox.Path("out.bin");
  for (const std::string& line : c["out"]) {
    const std::string args = Expand(line, laid.values);
    const ConsoleRun plain = RunConsole(laid.sandbox, args);
    const ConsoleRun out = RunConsole(laid.sandbox, args + " " + Quoted("/out:" + out_file));
    EXPECT_EQ(out.exit_code, plain.exit_code) << line;
    EXPECT_EQ(out.err, plain.err) << line;
    EXPECT_EQ(out.out, "") << line;
    EXPECT_FALSE(plain.out.empty()) << line;
    EXPECT_EQ(Timeless(ReadFile(out_file).value_or("(no file)")), Timeless(plain.out)) << line;
  }
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(options().cases, error))
    if (entry.path().extension() == ".case") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Case : public ::testing::TestWithParam<std::string> {};

TEST_P(Case, GivesTheExpectedReportLogBoxesAndExitCode) {
  const auto text = ReadFile(options().cases + "\\" + GetParam() + ".case");
  ASSERT_TRUE(text.has_value());
  Sections c = ParseCase(*text);
  for (const auto& [name, lines] : c)
    ASSERT_TRUE(std::regex_match(name, std::regex("files|locked|info|info raw|args|boxes|after|"
                                                  "items|get-info|log|pane|exit|window|stderr|"
                                                  "json|runs|share|setup|encode|out|zone|like")))
        << "unknown section [" << name << "]";
  // A program's time zone is its Linux TZ under Wine, which no program can change for the ones
  // it starts: a case of a zone of its own runs in the test command of that zone alone.
  const std::string zone = c.count("zone") && !c["zone"].empty() ? c["zone"][0] : "";
  if (zone != Env("TARN_ZONE"))
    GTEST_SKIP() << "runs where TARN_ZONE is " << (zone.empty() ? "not set" : zone);
  ASSERT_TRUE(c.count("window") || c.count("exit"))
      << "a case runs in the window, the console or both";
  if (c.count("window")) RunThroughWindow(GetParam(), c);
  if (c.count("exit")) RunThroughConsole(GetParam(), c);
}

INSTANTIATE_TEST_SUITE_P(Cases, Case, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
  return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
});

}  // namespace
}  // namespace tarn::e2e
