// Text rules of info files and item lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Removes leading and trailing space characters; tabs and other blanks stay.
std::string_view TrimSpaces(std::string_view text);

// The lines of an info file: CR LF and a lone CR end a line, a lone LF does not. The last line
// needs no line end, and a line end just before the end adds no empty line.
std::vector<std::string> SplitInfoLines(std::string_view content);

// The argument text of a Windows command line: everything after the program's name and the
// blanks that follow it.
std::string_view ArgumentText(std::string_view command_line);

// A path that starts with a double quote loses its first and its last character.
std::string UnquotePath(std::string_view path);

struct ItemLine {
  std::string key;    // trimmed, not yet upper-cased
  std::string value;  // trimmed, case kept
};

// Splits at the first "="; nothing when the line has none.
bool SplitItemLine(std::string_view line, ItemLine& item);

}  // namespace tarn
