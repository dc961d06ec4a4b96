// Runs every tests/e2e/cases/*.case through the real tarninfo.exe.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#include "e2e/case_file.h"
#include "e2e/driver.h"
#include "e2e/sandbox.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

constexpr char kTitle[] = "Tarn Application Information";

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(options().cases, error))
    if (entry.path().extension() == ".case") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Gives the file the local modification time "YYYY-MM-DD HH:MM:SS".
void SetLocalTime(const std::string& path, const std::string& time) {
  SYSTEMTIME local{};
  ASSERT_EQ(std::sscanf(time.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &local.wYear, &local.wMonth,
                        &local.wDay, &local.wHour, &local.wMinute, &local.wSecond),
            6)
      << time;
  FILETIME local_time, utc;
  ASSERT_TRUE(::SystemTimeToFileTime(&local, &local_time) &&
              ::LocalFileTimeToFileTime(&local_time, &utc));
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc));
  ::CloseHandle(file);
}

// The lines expected of a text, against its lines; {DATETIME} stands for a date and time.
void ExpectLines(const std::vector<std::string>& expected, const std::string& text,
                 const std::map<std::string, std::string>& values, const char* what) {
  const std::vector<std::string> lines = CrLfLines(text);
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    const std::string line = Expand(expected[i], values);
    EXPECT_TRUE(LineMatches(line, lines[i]))
        << what << " line " << i + 1 << "\n  expected: " << line << "\n  actual:   " << lines[i];
  }
  EXPECT_EQ(lines.size(), expected.size()) << what << ":\n" << text;
}

class InfoFileCase : public ::testing::TestWithParam<std::string> {};

TEST_P(InfoFileCase, GivesTheExpectedBoxesWindowAndLog) {
  const std::string name = GetParam();
  const auto text = ReadFile(options().cases + "\\" + name + ".case");
  ASSERT_TRUE(text.has_value());
  std::string error;
  const std::optional<Case> c = ParseCase(name, *text, error);
  ASSERT_TRUE(c.has_value()) << error;

  Sandbox sandbox(name);
  const std::string info_path = sandbox.Path("case.tarninfo");
  const std::map<std::string, std::string> values = {{"DIR", sandbox.dir()}, {"INFO", info_path}};
  auto path_of = [&](const std::string& file) {
    const std::string path = Expand(file, values);
    return path.find(':') == std::string::npos ? sandbox.Path(path) : path;
  };
  for (const CaseFile& file : c->files) {
    if (file.folder) {
      ASSERT_TRUE(::CreateDirectoryA(path_of(file.path).c_str(), nullptr)) << file.path;
      continue;
    }
    WriteFile(path_of(file.path), file.bytes);
    if (file.time) SetLocalTime(path_of(file.path), *file.time);
  }
  std::vector<HANDLE> locks;
  for (const std::string& file : c->locked) {
    locks.push_back(::CreateFileA(path_of(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(locks.back(), INVALID_HANDLE_VALUE) << file;
  }
  WriteFile(info_path, Expand(c->info, values));
  RunningTool tool(sandbox.exe(),
                   sandbox.CommandLine(Expand(c->args.value_or("\"{INFO}\""), values)));
  ASSERT_TRUE(tool.started());

  for (const std::string& expected : c->boxes) {
    std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow();
    ASSERT_TRUE(box.has_value()) << "expected the box: " << Expand(expected, values);
    EXPECT_EQ(box->title, kTitle);
    EXPECT_EQ(box->text, Expand(expected, values));
    tool.Answer(*box);
  }
  while (std::optional<MessageBoxSeen> extra = tool.WaitForBoxOrWindow()) {
    ADD_FAILURE() << "unexpected message box: " << extra->text;
    tool.Answer(*extra);
  }
  ASSERT_NE(tool.main_window(), nullptr);
  EXPECT_EQ(WindowText(tool.main_window()), kTitle);

  for (const std::string& action : c->after) {
    (void)action;  // "get-info", the only one: the run ends with the save of its log
    const std::optional<std::string> before = ReadFile(sandbox.LogPath());
    tool.Click(IDC_CMD_GET_INFO);
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(sandbox.LogPath()) != before; })) << action;
  }
  if (c->items) {
    std::vector<std::string> expected;
    for (const std::string& item : *c->items) expected.push_back(Expand(item, values));
    EXPECT_EQ(tool.Items(), expected);
  }
  if (c->get_info_enabled) {
    EXPECT_EQ(tool.IsEnabled(IDC_CMD_GET_INFO), *c->get_info_enabled);
  }

  const std::string pane = tool.LogText();
  const std::optional<std::string> log = ReadFile(sandbox.LogPath());
  if (c->log) {
    ASSERT_TRUE(log.has_value()) << "no log file beside the exe";
    ExpectLines(*c->log, *log, values, "log file");
  } else {
    EXPECT_FALSE(log.has_value()) << "no log file was expected";
  }
  if (c->pane) {
    ExpectLines(*c->pane, pane + "\r\n", values, "log pane");
  } else if (c->log && log) {
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
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

}  // namespace
}  // namespace tarn::e2e
