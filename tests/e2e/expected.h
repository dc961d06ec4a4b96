// What a test expects of a text report: lines with placeholders, matched line by line.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tarn::e2e {

using Lines = std::vector<std::string>;
using Values = std::map<std::string, std::string>;

// Every "{KEY}" of `values` replaced by its value.
std::string Expand(std::string text, const Values& values);
// {CR}, {LF}, {TAB} and {xHH}, one byte in hexadecimal, as those bytes.
std::string Unescape(const std::string& text);
// `expected` with {DATETIME} standing for a short date and, unless it is midnight, a time.
bool LineMatches(const std::string& expected, const std::string& actual);
// The text's CR LF lines against `expected` (expanded and unescaped), each mismatch a failure
// naming `what`.
void ExpectLines(const Lines& expected, const std::string& text, const Values& values,
                 const char* what);
// The report header as expected: its rules and its time.
Lines HeaderLines();
inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
// The CR LF lines of a text; an unended last line is marked as such.
Lines SplitLines(const std::string& text);

}  // namespace tarn::e2e
