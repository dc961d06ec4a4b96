// Runs every tests/e2e/cases/*.case through the real tarninfo.exe.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "e2e/case_file.h"
#include "e2e/driver.h"
#include "e2e/sandbox.h"
#include "services/texts.h"
#include "ui/resource.h"

namespace tarn::e2e {
namespace {

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(options().cases, error))
    if (entry.path().extension() == ".case") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FileLines(const std::string& bytes, bool& ends_with_line_break) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  ends_with_line_break = start == bytes.size();
  if (!ends_with_line_break) lines.push_back(bytes.substr(start));
  return lines;
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
  WriteFile(info_path, c->info);
  const std::map<std::string, std::string> values = {{"DIR", sandbox.dir()}, {"INFO", info_path}};
  RunningTool tool(sandbox.exe(),
                   sandbox.CommandLine(Expand(c->args.value_or("\"{INFO}\""), values)));
  ASSERT_TRUE(tool.started());

  for (const std::string& expected : c->boxes) {
    std::optional<MessageBoxSeen> box = tool.WaitForBoxOrWindow();
    ASSERT_TRUE(box.has_value()) << "expected the box: " << Expand(expected, values);
    EXPECT_EQ(box->title, text::kAppTitle);
    EXPECT_EQ(box->text, Expand(expected, values));
    tool.Answer(*box);
  }
  while (std::optional<MessageBoxSeen> extra = tool.WaitForBoxOrWindow()) {
    ADD_FAILURE() << "unexpected message box: " << extra->text;
    tool.Answer(*extra);
  }
  ASSERT_NE(tool.main_window(), nullptr);

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
    bool ends_with_line_break = false;
    const std::vector<std::string> lines = FileLines(*log, ends_with_line_break);
    EXPECT_TRUE(ends_with_line_break) << "the log file must end with CR LF";
    const std::size_t common = std::min(lines.size(), c->log->size());
    for (std::size_t i = 0; i < common; ++i) {
      const std::string expected = Expand((*c->log)[i], values);
      EXPECT_TRUE(LineMatches(expected, lines[i]))
          << "log line " << i + 1 << "\n  expected: " << expected << "\n  actual:   " << lines[i];
    }
    EXPECT_EQ(lines.size(), c->log->size()) << "log file:\n" << *log;
    // A first save writes the pane's text and one more line break.
    EXPECT_EQ(*log, pane + "\r\n");
  } else {
    EXPECT_FALSE(log.has_value()) << "no run, so no log file was expected";
  }
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
