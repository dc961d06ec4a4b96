#include "services/win32/search_order.h"

#include <windows.h>

#include <algorithm>

#include "services/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/registry.h"

namespace tarn::win32 {
namespace {

// Any callable: the system's functions have their own calling convention on x86, a lambda not.
template <typename Get>
std::string FolderOf(Get get) {
  char folder[MAX_PATH];
  const UINT length = get(folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

// The first word of a command line, without its quotes, as CreateProcess reads it.
std::string FirstWord(const std::string& command_line) {
  if (command_line.starts_with('"')) {
    const std::size_t end = command_line.find('"', 1);
    return command_line.substr(1, end == std::string::npos ? end : end - 1);
  }
  return command_line.substr(0, command_line.find_first_of(" \t"));
}

}  // namespace

SearchFolders CurrentSearchFolders() {
  SearchFolders folders;
  try {
    folders.exe = GetFilePathOnly(ExePath());
  } catch (...) {
  }
  folders.current = FolderOf([](char* folder, UINT size) {
    return static_cast<UINT>(::GetCurrentDirectoryA(size, folder));
  });
  folders.system = FolderOf(::GetSystemDirectoryA);
  folders.windows = FolderOf(::GetWindowsDirectoryA);
  if (!folders.windows.empty()) folders.system16 = folders.windows + "\\system";
  if (DWORD size = ::GetEnvironmentVariableA("PATH", nullptr, 0)) {
    std::string path(size, '\0');
    path.resize(::GetEnvironmentVariableA("PATH", path.data(), size));
    for (std::size_t start = 0; start <= path.size();) {
      const std::size_t end = std::min(path.find(';', start), path.size());
      if (end > start) folders.path.push_back(path.substr(start, end - start));
      start = end + 1;
    }
  }
  return folders;
}

std::string SystemProgram(const std::string& command_line) {
  std::string name = FirstWord(command_line);
  const std::string system = FolderOf(::GetSystemDirectoryA);
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos || system.empty()) return {};
  if (name.find('.') == std::string::npos) name += ".exe";
  const std::string program = CombinePath(system, name);
  const DWORD attributes = ::GetFileAttributesA(program.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return program;
}

DllSearch StandardDllSearch() {
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
  SearchFolders folders = CurrentSearchFolders();
  search.folders = {folders.system, folders.system16, folders.windows, folders.current};
  search.folders.insert(search.folders.end(), folders.path.begin(), folders.path.end());
  return search;
}

}  // namespace tarn::win32
