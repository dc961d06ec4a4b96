// What the file dialog's folder and file lists show, apart from the window system: the classic
// folder list (the current folder, its parents above it and its subfolders below it) and the
// file list's pattern.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct FolderEntry {
  std::string path;   // full path; a root keeps its backslash ("C:\"), other folders have none
  int level = 0;      // indentation: 0 for the root
  bool open = false;  // the root, the parents and the current folder; false for subfolders
};

// The root of a full path: "C:\" for "C:\a\b", "\\server\share" for "\\server\share\a"; empty
// when the path has neither form.
std::string RootOf(std::string_view path);

// A full folder path without a trailing backslash, except for a root, which keeps its own.
std::string TrimFolder(std::string_view path);

// The entries of the folder list for `folder` and the names of its subfolders (in any order):
// the root, each parent and the folder itself, then the subfolders sorted without regard to case.
std::vector<FolderEntry> FolderListEntries(std::string_view folder,
                                           std::vector<std::string> subfolders);

// The text an entry shows: the root as its path, any other folder by its own name.
std::string_view EntryName(const FolderEntry& entry);

// Orders names as the folder and file lists show them: without regard to ASCII case.
bool LessNoCase(std::string_view a, std::string_view b);

// Whether a file name matches a pattern of "*" and "?" wildcards, without regard to ASCII case.
// A name without a dot also matches as if it ended in one, so "*.*" takes every name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace tarn
