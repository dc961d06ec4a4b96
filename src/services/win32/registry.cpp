#include "services/win32/registry.h"

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

ClassServers ReadServers(HKEY root, const std::string& class_key, REGSAM flag,
                         const LoaderView& loader, RegistryView view) {
  auto read = [&](const char* server) {
    UniqueKey key = OpenKey(root, class_key + "\\" + server, flag);
    return key ? TextValue(key.get(), nullptr, loader, view) : std::string();
  };
  return {read("InprocServer32"), read("LocalServer32")};
}

RegisteredClass ReadClassServers(const std::string& id, const LoaderView& loader,
                                 RegistryView view) {
  ClassServers servers =
      ReadServers(HKEY_CLASSES_ROOT, "CLSID\\" + id, RegistryFlag(view), loader, view);
  RegisteredClass found;
  found.id = id;
  found.in_process_server = std::move(servers.in_process);
  found.local_server = std::move(servers.local);
  return found;
}

namespace {

struct ClassView {
  REGSAM flag;
  int bits;
};

// The registry views that hold classes, this process's first: a 32-bit Windows has one.
std::vector<ClassView> ClassViews() {
#ifdef _WIN64
  return {{KEY_WOW64_64KEY, 64}, {KEY_WOW64_32KEY, 32}};
#else
  BOOL wow64 = FALSE;
  if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64)
    return {{KEY_WOW64_32KEY, 32}, {KEY_WOW64_64KEY, 64}};
  return {{0, 32}};
#endif
}

}  // namespace

std::vector<RegisteredClass> Win32ClassRegistry::Classes(
    const std::function<bool(const std::string& server)>& wanted) {
  std::vector<RegisteredClass> classes;
  const std::vector<ClassView> views = ClassViews();
  for (const ClassView& view : views) {
    // A 32-bit Windows' one view expands as the environment gives it, whichever view is named.
    const RegistryView registry_view =
        view.bits == 32 ? RegistryView::k32Bit : RegistryView::k64Bit;
    UniqueKey ids = OpenKey(HKEY_CLASSES_ROOT, "CLSID", view.flag);
    if (!ids) continue;
    char id[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof id;
      const LONG status =
          ::RegEnumKeyExA(ids.get(), i, id, &size, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) continue;  // no class identifier is that long
      if (status != ERROR_SUCCESS) break;
      ClassServers servers = ReadServers(ids.get(), id, view.flag, loader_, registry_view);
      auto takes = [&](const std::string& server) { return !server.empty() && wanted(server); };
      if (!takes(servers.in_process) && !takes(servers.local)) continue;
      RegisteredClass found{id,        std::move(servers.in_process), std::move(servers.local), {},
                            view.bits, &view == &views.front()};
      for (const char* name : {"ProgID", "VersionIndependentProgID"}) {
        UniqueKey key = OpenKey(ids.get(), found.id + "\\" + name, view.flag);
        if (std::string prog_id =
                key ? TextValue(key.get(), nullptr, loader_, registry_view) : std::string();
            !prog_id.empty())
          found.prog_ids.push_back(std::move(prog_id));
      }
      classes.push_back(std::move(found));
    }
  }
  return classes;
}

}  // namespace tarn::win32
