#include "services/win32/registry.h"

#include <algorithm>

namespace tarn::win32 {

UniqueKey OpenKey(HKEY root, const std::string& name, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, name.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
    return nullptr;
  return UniqueKey(key);
}

namespace {

struct Text {
  std::string text;
  bool expandable = false;
};

Text ReadText(HKEY key, const char* name) {
  char text[MAX_PATH * 4];
  DWORD type = 0, size = sizeof text - 1;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  text[size] = '\0';
  return {text, type == REG_EXPAND_SZ};
}

}  // namespace

REGSAM RegistryFlag(RegistryView view) {
  return view == RegistryView::k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

std::string TextValue(HKEY key, const char* name) {
  return ReadText(key, name).text;
}

std::string TextValue(HKEY key, const char* name, const LoaderView& loader, RegistryView view) {
  Text value = ReadText(key, name);
  return value.expandable ? loader.Expand(value.text, view) : std::move(value.text);
}

// On a 32-bit Windows both flags name its one view; the caller takes each identifier once.
std::vector<RegisteredClass> Win32ClassRegistry::Classes(
    const std::function<bool(const std::string& server)>& wanted) {
  std::vector<RegisteredClass> classes;
  for (const RegistryView registry_view : {RegistryView::k64Bit, RegistryView::k32Bit}) {
    const REGSAM view = RegistryFlag(registry_view);
    UniqueKey ids = OpenKey(HKEY_CLASSES_ROOT, "CLSID", view);
    if (!ids) continue;
    char id[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof id;
      const LONG status =
          ::RegEnumKeyExA(ids.get(), i, id, &size, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) continue;  // no class identifier is that long
      if (status != ERROR_SUCCESS) break;
      RegisteredClass found;
      auto read = [&](const char* subkey, std::vector<std::string>& into) {
        UniqueKey key = OpenKey(ids.get(), subkey, view);
        if (!key) return;
        if (std::string value = TextValue(key.get(), nullptr, loader_, registry_view);
            !value.empty())
          into.push_back(std::move(value));
      };
      const std::string base = std::string(id) + "\\";
      for (const char* server : {"InprocServer32", "LocalServer32"})
        read((base + server).c_str(), found.servers);
      if (std::none_of(found.servers.begin(), found.servers.end(), wanted)) continue;
      for (const char* name : {"ProgID", "VersionIndependentProgID"})
        read((base + name).c_str(), found.prog_ids);
      if (!found.prog_ids.empty()) classes.push_back(std::move(found));
    }
  }
  return classes;
}

}  // namespace tarn::win32
