#include "e2e/expected.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <regex>

namespace tarn::e2e {

std::string Expand(std::string text, const Values& values) {
  for (const auto& [key, value] : values) {
    const std::string token = "{" + key + "}";
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  }
  return text;
}

std::string Unescape(const std::string& text) {
  static const std::regex kByte(R"(\{x([0-9A-Fa-f]{2})\})");
  std::string rest = Expand(text, {{"CR", "\r"}, {"LF", "\n"}, {"TAB", "\t"}}), out;
  for (std::smatch m; std::regex_search(rest, m, kByte); rest = m.suffix().str())
    out += m.prefix().str() + static_cast<char>(std::stoi(m[1].str(), nullptr, 16));
  return out + rest;
}

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
  const Lines lines = SplitLines(text);
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
    EXPECT_TRUE(LineMatches(Unescape(Expand(expected[i], values)), lines[i]))
        << what << " line " << i + 1 << "\n  expected: " << expected[i]
        << "\n  actual:   " << lines[i];
  EXPECT_EQ(lines.size(), expected.size()) << what << ":\n" << text;
}

Lines HeaderLines() {
  const std::string rule(80, '=');
  return {rule, "Date/Time:  {DATETIME}", rule};
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back("(no line end) " + text.substr(start));
  return lines;
}

}  // namespace tarn::e2e
