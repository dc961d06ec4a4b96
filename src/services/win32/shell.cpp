#include "services/win32/shell.h"

#include <shlobj.h>

#include <cstring>
#include <memory>

#include "services/win32/folder_browser.h"
#include "services/win32/handles.h"

namespace tarn::win32 {

// The shell's result codes are not examined: a failed lookup leaves the item list null and the
// buffer without a terminating NUL, which gives empty text.
std::string Win32Shell::SpecialFolder(int csidl) {
  LPITEMIDLIST raw = nullptr;
  ::SHGetSpecialFolderLocation(owner_, csidl, &raw);
  UniqueItemList items(raw);
  char buffer[MAX_PATH];
  std::memset(buffer, ' ', sizeof buffer);
  if (items) ::SHGetPathFromIDListA(items.get(), buffer);
  const void* end = std::memchr(buffer, '\0', sizeof buffer);
  if (end == nullptr) return {};
  return std::string(buffer, static_cast<std::size_t>(static_cast<const char*>(end) - buffer));
}

std::string Win32Shell::BrowseForFolder(std::string_view start_folder, std::string_view title,
                                        int root) {
  return win32::BrowseForFolder(owner_, std::string(start_folder), std::string(title), root);
}

}  // namespace tarn::win32
