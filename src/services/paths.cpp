#include "services/paths.h"

#include "services/ascii_case.h"

namespace tarn {

std::string CombinePath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (name.empty()) return std::string(folder);
  std::string_view base = folder;
  if (base.back() == '\\') base.remove_suffix(1);
  std::string joined(base);
  if (name.front() != '\\') joined += '\\';
  joined += name;
  return joined;
}

std::string GetFilePathOnly(std::string_view path) {
  std::size_t last = path.rfind('\\');
  if (last == std::string_view::npos || last == 0) return {};
  return std::string(path.substr(0, last));
}

bool IsBelow(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() && path[folder.size()] == '\\' &&
         EqualNoCase(path.substr(0, folder.size()), folder);
}

}  // namespace tarn
