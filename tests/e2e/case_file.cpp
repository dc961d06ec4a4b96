#include "e2e/case_file.h"

#include <algorithm>
#include <regex>

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

// One line of [files]: "NAME/" a folder, "NAME @ TIME" a file of that time, "NAME = TEXT" a
// file of that text, "NAME" an empty file.
CaseFile ParseFileLine(const std::string& line) {
  CaseFile file;
  if (std::size_t at = line.find(" @ "); at != std::string::npos) {
    file.path = line.substr(0, at);
    file.time = line.substr(at + 3);
    file.bytes = "x";
  } else if (std::size_t eq = line.find(" = "); eq != std::string::npos) {
    file.path = line.substr(0, eq);
    file.bytes = Unescape(line.substr(eq + 3));
  } else if (!line.empty() && line.back() == '/') {
    file.path = line.substr(0, line.size() - 1);
    file.folder = true;
  } else {
    file.path = line;
  }
  return file;
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
  static const std::vector<std::string> kSections = {"files", "locked", "info",     "args", "boxes",
                                                     "after", "items",  "get-info", "log",  "pane"};
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
      if (std::find(kSections.begin(), kSections.end(), section) == kSections.end()) {
        error = "unknown section [" + section + "]";
        return std::nullopt;
      }
      if (section == "log") c.log.emplace();
      if (section == "pane") c.pane.emplace();
      if (section == "items") c.items.emplace();
      if (section == "args") c.args.emplace();
      continue;
    }
    if (section.empty()) continue;  // comments before the first section
    std::vector<std::string>* lines = section == "log"    ? &*c.log
                                      : section == "pane" ? &*c.pane
                                                          : nullptr;
    if (lines && line == "{HEADER}") {
      lines->insert(lines->end(), {kRule, "Date/Time:  {DATETIME}", kRule});
    } else if (lines) {
      lines->push_back(Unescape(line));
    } else if (section == "info") {
      info_lines.push_back(line);
    } else if (section == "files") {
      c.files.push_back(ParseFileLine(line));
    } else if (section == "locked") {
      c.locked.push_back(line);
    } else if (section == "args") {
      c.args = line;
    } else if (section == "boxes") {
      c.boxes.push_back(Unescape(line));
    } else if (section == "after") {
      if (line != "get-info") {
        error = "unknown action " + line;
        return std::nullopt;
      }
      c.after.push_back(line);
    } else if (section == "items") {
      c.items->push_back(Unescape(line));
    } else if (section == "get-info") {
      c.get_info_enabled = line == "enabled";
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

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back("(no line end) " + text.substr(start));
  return lines;
}

}  // namespace tarn::e2e
