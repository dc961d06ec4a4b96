#include "form/folder_list.h"

#include <algorithm>
#include <cctype>

#include "services/paths.h"
#include "services/ascii_case.h"

namespace tarn {
bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

std::string RootOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
    return std::string(path.substr(0, 2)) + '\\';
  if (path.size() > 2 && path.substr(0, 2) == "\\\\") {
    const std::size_t server_end = path.find('\\', 2);
    if (server_end == std::string_view::npos || server_end == 2) return {};
    const std::size_t share_end = path.find('\\', server_end + 1);
    if (share_end == server_end + 1) return {};
    return std::string(path.substr(0, share_end));
  }
  return {};
}

std::string TrimFolder(std::string_view path) {
  const std::string root = RootOf(path);
  while (path.size() > root.size() && path.back() == '\\') path.remove_suffix(1);
  if (path.size() <= root.size()) return root;
  return std::string(path);
}

std::vector<FolderEntry> FolderListEntries(std::string_view folder,
                                           std::vector<std::string> subfolders) {
  std::vector<FolderEntry> entries;
  const std::string root = RootOf(folder);
  const std::string current = TrimFolder(folder);
  if (root.empty()) return entries;
  entries.push_back({root, 0, true});
  std::size_t end = root.size();
  while (end < current.size()) {
    std::size_t next = current.find('\\', end + 1);
    if (next == std::string::npos) next = current.size();
    entries.push_back({current.substr(0, next), static_cast<int>(entries.size()), true});
    end = next;
  }
  std::sort(subfolders.begin(), subfolders.end(), LessNoCase);
  const int level = static_cast<int>(entries.size());
  for (const std::string& name : subfolders) entries.push_back({CombinePath(current, name), level});
  return entries;
}

std::string_view EntryName(const FolderEntry& entry) {
  std::string_view path = entry.path;
  if (entry.level == 0) return path;
  return path.substr(path.rfind('\\') + 1);
}

namespace {

bool Matches(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match: on a mismatch, the last "*" takes one more character.
  std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // As on Windows, a name without a dot also matches as if it ended in one: "*.*" takes it.
  if (Matches(name, pattern)) return true;
  return name.find('.') == std::string_view::npos && Matches(std::string(name) + '.', pattern);
}

}  // namespace tarn
