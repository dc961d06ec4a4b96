// The system's special folders, found through the shell. Each lookup asks for the native folder
// and then for the 32-bit one, and prefers the 32-bit folder when the shell gives one, so on a
// 64-bit Windows the folders of 32-bit programs are found. Paths come as the shell writes them,
// without a trailing backslash; nothing is cached.
#pragma once

#include <string>

#include "services/failure.h"
#include "services/platform.h"

namespace tarn {

// Shell folder identifiers (CSIDL values).
inline constexpr int kCsidlSystem = 37;
inline constexpr int kCsidlProgramFiles = 38;
inline constexpr int kCsidlSystemX86 = 41;
inline constexpr int kCsidlProgramFilesX86 = 42;
inline constexpr int kCsidlProgramFilesCommon = 43;
inline constexpr int kCsidlProgramFilesCommonX86 = 44;

// One folder; empty text on any failure, with no report.
std::string GetSpecialFolder(Shell& shell, Reporter& reporter, int csidl) noexcept;

std::string GetProgramFilesFolder(Shell& shell, Reporter& reporter);
std::string GetCommonFilesFolder(Shell& shell, Reporter& reporter);
// A failure is shown in a box under the Win32API module; the folder found so far is returned.
std::string GetSystemFolder(Shell& shell, Reporter& reporter) noexcept;

}  // namespace tarn
