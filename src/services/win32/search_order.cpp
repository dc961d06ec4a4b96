#include "services/win32/search_order.h"

#include <windows.h>

#include <algorithm>

#include "services/ascii_case.h"
#include "services/paths.h"
#include "services/pe_image.h"
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

std::optional<std::string> EnvironmentVariable(const char* name) {
  const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::string value(size, '\0');
  value.resize(::GetEnvironmentVariableA(name, value.data(), size));
  return value;
}

}  // namespace

std::string OwnExeFolder() {
  try {
    return GetFilePathOnly(ExePath());
  } catch (...) {
    return {};
  }
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

std::uint16_t Win32LoaderFacts::ProcessMachine() {
  auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader.Machine;
}

std::uint16_t Win32LoaderFacts::WindowsMachine() {
  SYSTEM_INFO system{};
  ::GetNativeSystemInfo(&system);
  switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
      return kMachineX64;
    case PROCESSOR_ARCHITECTURE_ARM64:
      return kMachineArm64;
    default:
      return kMachineX86;
  }
}

std::string Win32LoaderFacts::SystemFolder() {
  return FolderOf(::GetSystemDirectoryA);
}

// It fails on a 32-bit Windows, which has one system folder.
std::string Win32LoaderFacts::Wow64SystemFolder() {
  return FolderOf(::GetSystemWow64DirectoryA);
}

std::string Win32LoaderFacts::WindowsFolder() {
  return FolderOf(::GetWindowsDirectoryA);
}

std::vector<std::string> Win32LoaderFacts::KnownDlls() {
  std::vector<std::string> dlls;
  UniqueKey known =
      OpenKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs");
  if (!known) return dlls;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (::RegEnumValueA(known.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    if (std::string dll = TextValue(known.get(), name); !dll.empty()) dlls.push_back(dll);
  }
  return dlls;
}

std::string Win32LoaderFacts::CurrentFolder() {
  return FolderOf([](char* folder, UINT size) {
    return static_cast<UINT>(::GetCurrentDirectoryA(size, folder));
  });
}

std::vector<std::string> Win32LoaderFacts::PathFolders() {
  std::vector<std::string> folders;
  const std::string path = EnvironmentVariable("PATH").value_or("");
  for (std::size_t start = 0; start < path.size();) {
    const std::size_t end = std::min(path.find(';', start), path.size());
    if (end > start) folders.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::optional<std::string> Win32LoaderFacts::Environment(const std::string& name) {
  return EnvironmentVariable(name.c_str());
}

bool Win32LoaderFacts::ProtectedByWindows(const std::string& path) {
  if (!sfc_loaded_) {
    sfc_loaded_ = true;
    const std::string system = SystemFolder();
    // Never unloaded: the process keeps it for the rest of its short life.
    if (HMODULE sfc = system.empty() ? nullptr : ::LoadLibraryA((system + "\\sfc.dll").c_str()))
      is_protected_ = reinterpret_cast<IsProtected>(
          reinterpret_cast<void (*)()>(::GetProcAddress(sfc, "SfcIsFileProtected")));
  }
  if (!is_protected_) return false;
  std::string name = path;
  const std::string windows = WindowsFolder();
  const std::string sysnative = windows + "\\Sysnative";
  if (!windows.empty() && name.size() > sysnative.size() && name[sysnative.size()] == '\\' &&
      EqualNoCase(std::string_view(name).substr(0, sysnative.size()), sysnative))
    name = windows + "\\System32" + name.substr(sysnative.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), length);
  return is_protected_(nullptr, wide.c_str()) != FALSE;
}

}  // namespace tarn::win32
