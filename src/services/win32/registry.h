// Reads of the registry shared by the reasons behind a failure and the scan of a folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "services/loader_view.h"
#include "services/platform.h"

namespace tarn::win32 {

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The key for reading, in the registry view `view` (0, KEY_WOW64_64KEY or KEY_WOW64_32KEY);
// nothing when it cannot be opened.
UniqueKey OpenKey(HKEY root, const std::string& name, REGSAM view = 0);

// The flag that opens a key in `view`.
REGSAM RegistryFlag(RegistryView view);

// A value's text as written; empty when there is none.
std::string TextValue(HKEY key, const char* name);
// A value's text, the environment strings of a REG_EXPAND_SZ expanded as the programs of `view`
// expand them, not as this process would; empty when there is none.
std::string TextValue(HKEY key, const char* name, const LoaderView& loader, RegistryView view);

// A class's servers as one registry view holds them, each value expanded as that view's programs
// expand it. A server key without a text, or with an empty one, names no server: COM could not
// start one from it.
struct ClassServers {
  std::string in_process, local;
  bool any() const { return !in_process.empty() || !local.empty(); }
};
// The servers of the class whose key is `class_key` below `root` (opened with `flag`).
ClassServers ReadServers(HKEY root, const std::string& class_key, REGSAM flag,
                         const LoaderView& loader, RegistryView view);

// The servers of a class by its identifier, as ClassPlacement reads them.
RegisteredClass ReadClassServers(const std::string& id, const LoaderView& loader,
                                 RegistryView view);

// The classes of both registry views, with the programmatic identifiers their keys give.
class Win32ClassRegistry final : public ClassRegistry {
 public:
  explicit Win32ClassRegistry(const LoaderView& loader) : loader_(loader) {}
  std::vector<RegisteredClass> Classes(
      const std::function<bool(const std::string& server)>& wanted) override;

 private:
  const LoaderView& loader_;
};

}  // namespace tarn::win32
