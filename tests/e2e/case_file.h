// End-to-end cases written as text: an info file, how the tool is started, and what it must show.
// The format is described in tests/e2e/README.md.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarn::e2e {

struct Case {
  std::string name;
  std::string info;                 // the info file's bytes
  std::optional<std::string> args;  // the command line after the program; placeholders kept
  std::vector<std::string> boxes;   // expected message box texts, in order
  std::optional<std::vector<std::string>> items;
  std::optional<std::vector<std::string>> log;  // expected log file lines; placeholders kept
  std::optional<bool> get_info_enabled;
};

// Parses a case; a malformed one gives an error text instead.
std::optional<Case> ParseCase(const std::string& name, const std::string& text, std::string& error);

// Replaces {CR}, {LF}, {TAB} and {xHH} (one byte, in hexadecimal).
std::string Unescape(const std::string& text);

// True when `actual` is `expected` with {DATETIME} standing for a date and time text.
bool LineMatches(const std::string& expected, const std::string& actual);

// Replaces each {KEY} of `values` in `text`.
std::string Expand(std::string text, const std::map<std::string, std::string>& values);

}  // namespace tarn::e2e
