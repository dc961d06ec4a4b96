// Path operations shared by the whole tool. A path is plain text with "\" as its only separator.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Joins with exactly one separator; an empty folder gives the name, an empty name the folder.
std::string CombinePath(std::string_view folder, std::string_view name);

// The text before the last backslash; empty when there is none or it is the first character.
std::string GetFilePathOnly(std::string_view path);

// `path` lies below `folder` (a full path without a trailing backslash), without regard to case.
bool IsBelow(std::string_view path, std::string_view folder);

}  // namespace tarn
