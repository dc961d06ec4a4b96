// End-to-end cases written as text: the files around the tool, an info file, how the tool is
// started, what is done in its window, and what it must show. The format is in README.md.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarn::e2e {

struct CaseFile {
  std::string path;  // placeholders kept; relative paths are in the case's folder
  bool folder = false;
  std::string bytes;
  std::optional<std::string> time;  // "YYYY-MM-DD HH:MM:SS", local
};

struct Case {
  std::string name;
  std::vector<CaseFile> files;
  std::vector<std::string> locked;  // files held open, without sharing write, during the run
  std::string info;                 // the info file's bytes; placeholders kept
  std::optional<std::string> args;  // the command line after the program; placeholders kept
  std::vector<std::string> boxes;   // expected message box texts, in order
  std::vector<std::string> after;   // actions in the window once it is up: "get-info"
  std::optional<std::vector<std::string>> items;
  std::optional<std::vector<std::string>> log;   // expected log file lines; placeholders kept
  std::optional<std::vector<std::string>> pane;  // expected pane lines, where not the log's end
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

// The lines of a text whose every line ends with CR LF; a rest without one is marked.
std::vector<std::string> CrLfLines(const std::string& text);

}  // namespace tarn::e2e
