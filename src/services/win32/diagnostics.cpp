#include "services/win32/diagnostics.h"

#include <windows.h>

#include <objbase.h>

#include "services/load_diagnosis.h"
#include "services/win32/code_page.h"

namespace tarn::win32 {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

UniqueKey OpenKey(HKEY root, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return UniqueKey(key);
}

// A value's text, environment strings expanded; empty when there is none.
std::string TextValue(HKEY key, const char* name) {
  char text[MAX_PATH * 4];
  DWORD type = 0, size = sizeof text - 1;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  text[size] = '\0';
  if (type == REG_SZ) return text;
  char expanded[MAX_PATH * 4];
  DWORD length = ::ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
  return length == 0 || length > sizeof expanded ? std::string() : std::string(expanded);
}

template <typename Get>
std::string Folder(Get get) {
  char path[MAX_PATH];
  UINT length = get(path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

// The known DLLs and the folders of the standard search for a DLL loaded by its full path with
// the altered search path, as the registration tool and COM load servers: after the DLL's own
// folder, the system folder, the 16-bit system folder, the Windows folder, the current folder and
// the folders of PATH. Seen from this process, so a 32-bit tool on 64-bit Windows sees the 32-bit
// system folder its loader would.
DllSearch StandardSearch() {
  DllSearch search;
  if (UniqueKey known = OpenKey(HKEY_LOCAL_MACHINE,
                                "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs")) {
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof name;
      if (::RegEnumValueA(known.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      if (std::string dll = TextValue(known.get(), name); !dll.empty()) {
        search.known_dlls.push_back(dll);
      }
    }
  }
  const std::string windows = Folder(::GetWindowsDirectoryA);
  search.folders = {Folder(::GetSystemDirectoryA), windows.empty() ? "" : windows + "\\system",
                    windows, Folder([](char* p, UINT n) { return ::GetCurrentDirectoryA(n, p); })};
  if (DWORD size = ::GetEnvironmentVariableA("PATH", nullptr, 0)) {
    std::string path(size, '\0');
    path.resize(::GetEnvironmentVariableA("PATH", path.data(), size));
    for (std::size_t start = 0; start <= path.size();) {
      std::size_t end = std::min(path.find(';', start), path.size());
      if (end > start) search.folders.push_back(path.substr(start, end - start));
      start = end + 1;
    }
  }
  return search;
}

std::uint16_t OwnMachine() {
  auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader.Machine;
}

}  // namespace

// The loader is the registration tool that the system's search finds for this process.
LoadDiagnosis Win32Diagnostics::ExplainRegistration(const std::string& path) {
  std::uint16_t loader = OwnMachine();
  char tool[MAX_PATH];
  DWORD length = ::SearchPathA(nullptr, "regsvr32.exe", nullptr, MAX_PATH, tool, nullptr);
  if (length > 0 && length < MAX_PATH) {
    try {
      if (std::optional<PeImage> image = ReadPeImage(files_.ReadAll(tool))) loader = image->machine;
    } catch (const Failure&) {
    }
  }
  return Diagnose(files_, path, loader, StandardSearch());
}

// An in-process server is loaded into this process. A server named without a folder is found by
// the same search; one that is found nowhere is itself the missing file.
LoadDiagnosis Win32Diagnostics::ExplainCreation(const std::string& prog_id) {
  CLSID id{};
  if (FAILED(::CLSIDFromProgID(Wide(prog_id).c_str(), &id))) return {};
  wchar_t guid[40];
  int length = ::StringFromGUID2(id, guid, 40);
  UniqueKey key =
      OpenKey(HKEY_CLASSES_ROOT, "CLSID\\" + Narrow(guid, length - 1) + "\\InprocServer32");
  std::string server = key ? TextValue(key.get(), nullptr) : std::string();
  if (server.size() >= 2 && server.front() == '"' && server.back() == '"') {
    server = server.substr(1, server.size() - 2);
  }
  if (server.empty()) return {};
  if (server.find('\\') == std::string::npos) {
    char found[MAX_PATH];
    DWORD size = ::SearchPathA(nullptr, server.c_str(), nullptr, MAX_PATH, found, nullptr);
    if (size > 0 && size < MAX_PATH) server = found;
  }
  if (!IsFile(files_, server)) {
    LoadDiagnosis missing;
    missing.missing_dependencies.push_back(server);
    return missing;
  }
  return Diagnose(files_, server, OwnMachine(), StandardSearch());
}

}  // namespace tarn::win32
