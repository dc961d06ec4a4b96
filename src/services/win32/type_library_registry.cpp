#include "services/win32/type_library_registry.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <iterator>

#include "services/win32/registry.h"

namespace tarn::win32 {
namespace {

std::string Hex(std::uint32_t number) {
  char digits[8];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, number, 16).ptr);
}

// The key that RegisterTypeLib writes: the version and the locale in hexadecimal, as OLE names
// them ("1.a" for 1.10, "409" for English), under the name of the library's platform.
std::string RegistrationKey(const TypeLibraryAttributes& library) {
  static constexpr const char* kSystems[] = {"win16", "win32", "mac", "win64"};
  const auto system = static_cast<std::size_t>(library.system);
  if (system >= std::size(kSystems)) return {};
  return "TypeLib\\" + library.guid + "\\" + Hex(library.major) + "." + Hex(library.minor) + "\\" +
         Hex(library.lcid) + "\\" + kSystems[system];
}

// The key's default value as written, whether REG_SZ or REG_EXPAND_SZ; empty when there is none.
std::string DefaultText(HKEY key, bool& expandable) {
  constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  std::string text;
  DWORD type = 0, size = 0;
  LONG status = ERROR_MORE_DATA;
  // A value that grows between the two reads is read again.
  while (status == ERROR_MORE_DATA) {
    text.resize(size);
    status =
        ::RegGetValueA(key, nullptr, nullptr, kText, &type, size ? text.data() : nullptr, &size);
    if (status == ERROR_SUCCESS && text.size() < size) status = ERROR_MORE_DATA;
  }
  if (status != ERROR_SUCCESS) return {};
  expandable = type == REG_EXPAND_SZ;
  text.resize(std::min<std::size_t>(size, text.find('\0')));
  return text;
}

}  // namespace

std::string Win32TypeLibRegistry::RegisteredFile(const TypeLibraryAttributes& library,
                                                 std::uint16_t machine) {
  const std::string name = RegistrationKey(library);
  const RegistryView view = loader_.ViewOf(machine);
  const UniqueKey key =
      name.empty() ? nullptr : OpenKey(HKEY_CLASSES_ROOT, name, RegistryFlag(view));
  bool expandable = false;
  const std::string file = key ? DefaultText(key.get(), expandable) : std::string();
  return expandable ? loader_.Expand(file, view) : file;
}

}  // namespace tarn::win32
