#include "script/item_line.h"

namespace tarn {

std::string_view TrimSpaces(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitInfoLines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t cr = content.find('\r', start);
    if (cr == std::string_view::npos) {
      lines.emplace_back(content.substr(start));
      break;
    }
    lines.emplace_back(content.substr(start, cr - start));
    start = cr + 1;
    if (start < content.size() && content[start] == '\n') ++start;
  }
  return lines;
}

std::string_view ArgumentText(std::string_view command_line) {
  std::size_t i = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    std::size_t close = command_line.find('"', 1);
    i = close == std::string_view::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && command_line[i] != ' ' && command_line[i] != '\t') ++i;
  }
  while (i < command_line.size() && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
  return command_line.substr(i);
}

std::string UnquotePath(std::string_view path) {
  if (path.empty() || path.front() != '"') return std::string(path);
  path.remove_prefix(1);
  if (!path.empty()) path.remove_suffix(1);
  return std::string(path);
}

bool SplitItemLine(std::string_view line, ItemLine& item) {
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  item.key = TrimSpaces(line.substr(0, equals));
  item.value = TrimSpaces(line.substr(equals + 1));
  return true;
}

}  // namespace tarn
