// The folders where Windows looks for a program or a DLL named without a folder, as this process
// sees them: a 32-bit process on 64-bit Windows sees the 32-bit system folder its loader would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "services/load_diagnosis.h"

namespace tarn::win32 {

struct SearchFolders {
  std::string exe;      // the folder of this process's exe
  std::string current;  // the current folder
  std::string system;
  std::string system16;  // the 16-bit system folder, "system" in the Windows folder
  std::string windows;
  std::vector<std::string> path;  // the folders of PATH, in order
};

// Empty texts for the folders that cannot be had.
SearchFolders CurrentSearchFolders();

// The program of the system folder that the command line's first word names (".exe" added to a
// name without an extension), wherever else one of that name lies: the exe's folder and the
// current folder, which the system's search for a program takes first, may be writable by
// anyone. Empty when the system folder has none.
std::string SystemProgram(const std::string& command_line);

// The known DLLs and the folders of the standard search for a DLL loaded by its full path with
// the altered search path, as the registration tool and COM load servers: after the DLL's own
// folder, the system folder, the 16-bit system folder, the Windows folder, the current folder and
// the folders of PATH.
DllSearch StandardDllSearch();

}  // namespace tarn::win32
