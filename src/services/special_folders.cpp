#include "services/special_folders.h"

#include <utility>

namespace tarn {
namespace {

// Both identifiers are always asked for, native first. `folder` holds the native folder as soon
// as that lookup has finished.
void LookUpPreferring32Bit(Shell& shell, Reporter& reporter, int native, int x86,
                           std::string& folder) {
  folder = GetSpecialFolder(shell, reporter, native);
  std::string folder_x86 = GetSpecialFolder(shell, reporter, x86);
  if (!folder_x86.empty()) folder = std::move(folder_x86);
}

}  // namespace

std::string GetSpecialFolder(Shell& shell, Reporter& reporter, int csidl) noexcept {
  std::string folder;
  if (!Guarded({Mode::kSilentDefault, {}}, reporter, [&] { folder = shell.SpecialFolder(csidl); }))
    folder.clear();
  return folder;
}

std::string GetProgramFilesFolder(Shell& shell, Reporter& reporter) {
  std::string folder;
  LookUpPreferring32Bit(shell, reporter, kCsidlProgramFiles, kCsidlProgramFilesX86, folder);
  return folder;
}

std::string GetCommonFilesFolder(Shell& shell, Reporter& reporter) {
  std::string folder;
  LookUpPreferring32Bit(shell, reporter, kCsidlProgramFilesCommon, kCsidlProgramFilesCommonX86,
                        folder);
  return folder;
}

std::string GetSystemFolder(Shell& shell, Reporter& reporter) noexcept {
  std::string folder;
  Guarded({Mode::kBoxAndLeave, text::kProcedureGetSystemFolder, kWin32Module}, reporter,
          [&] { LookUpPreferring32Bit(shell, reporter, kCsidlSystem, kCsidlSystemX86, folder); });
  return folder;
}

}  // namespace tarn
