#include "e2e/case_file.h"

#include <regex>
#include <sstream>

namespace tarn::e2e {
namespace {

const std::string kRule(80, '=');

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the file's own last line end
  return lines;
}

}  // namespace

std::string Unescape(const std::string& text) {
  static const std::regex kByte(R"(\{x([0-9A-Fa-f]{2})\})");
  std::string out = Expand(text, {{"CR", "\r"}, {"LF", "\n"}, {"TAB", "\t"}});
  std::smatch match;
  std::string rest = out;
  out.clear();
  while (std::regex_search(rest, match, kByte)) {
    out += match.prefix().str();
    out += static_cast<char>(std::stoi(match[1].str(), nullptr, 16));
    rest = match.suffix().str();
  }
  return out + rest;
}

std::optional<Case> ParseCase(const std::string& name, const std::string& text,
                              std::string& error) {
  Case c;
  c.name = name;
  std::string section;
  std::vector<std::string> info_lines;
  bool raw_info = false;
  for (const std::string& line : SplitLines(text)) {
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      if (section == "info raw") {
        raw_info = true;
        section = "info";
      }
      if (section == "log") c.log.emplace();
      if (section == "items") c.items.emplace();
      if (section != "info" && section != "args" && section != "boxes" && section != "items" &&
          section != "log" && section != "get-info") {
        error = "unknown section [" + section + "]";
        return std::nullopt;
      }
      continue;
    }
    if (section.empty()) continue;  // comments before the first section
    if (section == "info")
      info_lines.push_back(line);
    else if (section == "args")
      c.args = line;
    else if (section == "boxes")
      c.boxes.push_back(Unescape(line));
    else if (section == "items")
      c.items->push_back(Unescape(line));
    else if (section == "get-info")
      c.get_info_enabled = line == "enabled";
    else if (section == "log") {
      if (line == "{HEADER}") {
        c.log->insert(c.log->end(), {kRule, "Date/Time:  {DATETIME}", kRule});
      } else {
        c.log->push_back(Unescape(line));
      }
    }
  }
  for (const std::string& line : info_lines) c.info += Unescape(line) + (raw_info ? "" : "\r\n");
  return c;
}

bool LineMatches(const std::string& expected, const std::string& actual) {
  const std::string kToken = "{DATETIME}";
  const std::size_t at = expected.find(kToken);
  if (at == std::string::npos) return expected == actual;
  const std::string before = expected.substr(0, at), after = expected.substr(at + kToken.size());
  if (actual.size() < before.size() + after.size()) return false;
  if (actual.compare(0, before.size(), before) != 0) return false;
  if (actual.compare(actual.size() - after.size(), after.size(), after) != 0) return false;
  // A short date, then a time unless it is midnight.
  static const std::regex kDateTime(
      R"([0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2}( ?[AP]M)?)?)");
  return std::regex_match(
      actual.substr(before.size(), actual.size() - before.size() - after.size()), kDateTime);
}

std::string Expand(std::string text, const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) {
    const std::string token = "{" + key + "}";
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  }
  return text;
}

}  // namespace tarn::e2e
