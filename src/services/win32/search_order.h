// The folders where Windows looks for a program or a DLL named without a folder, as this process
// sees them, and the facts of this PC behind every loader's view of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "services/platform.h"

namespace tarn::win32 {

// The folder of this process's exe; empty when it cannot be had.
std::string OwnExeFolder();

// The program of the system folder that the command line's first word names (".exe" added to a
// name without an extension), wherever else one of that name lies: the exe's folder and the
// current folder, which the system's search for a program takes first, may be writable by
// anyone. Empty when the system folder has none.
std::string SystemProgram(const std::string& command_line);

class Win32LoaderFacts final : public LoaderFacts {
 public:
  std::uint16_t ProcessMachine() override;
  std::uint16_t WindowsMachine() override;
  std::string SystemFolder() override;
  std::string Wow64SystemFolder() override;
  std::string WindowsFolder() override;
  std::vector<std::string> KnownDlls() override;
  std::string CurrentFolder() override;
  std::vector<std::string> PathFolders() override;
  std::optional<std::string> Environment(const std::string& name) override;
  // Asks sfc.dll, loaded from the system folder when first needed (it is no import of the exe,
  // which needs only DLLs of every Windows' own), for the file's System32 name where this
  // process names it by Sysnative.
  bool ProtectedByWindows(const std::string& path) override;

 private:
  using IsProtected = BOOL(WINAPI*)(HANDLE, LPCWSTR);
  bool sfc_loaded_ = false;
  IsProtected is_protected_ = nullptr;
};

}  // namespace tarn::win32
