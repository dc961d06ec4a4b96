// The two classic reasons why Windows' loader refuses a DLL, read from the file's own headers
// without loading it: a machine other than the loader's, and imported DLLs that the loader's
// search does not find.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/diagnostics.h"
#include "services/platform.h"

namespace tarn {

inline constexpr std::uint16_t kMachineX86 = 0x014c;
inline constexpr std::uint16_t kMachineX64 = 0x8664;
inline constexpr std::uint16_t kMachineArm64 = 0xaa64;

struct PeImage {
  std::uint16_t machine = 0;
  // The DLLs of the import table, in its order; delay-loaded ones are not needed to load.
  std::vector<std::string> imports;
};

// Nothing when the bytes are not a PE image whose headers hold together.
std::optional<PeImage> ReadPeImage(std::string_view bytes);

// "x86", "x64", "arm64", else the machine word as 0x and four hexadecimal digits.
std::string MachineName(std::uint16_t machine);

// A file, not a folder, is at `path`.
bool IsFile(FileSystem& files, const std::string& path);

// Where the loader looks for an imported DLL that is not already decided: the known DLLs (names
// in any case), then each folder in order.
struct DllSearch {
  std::vector<std::string> known_dlls;
  std::vector<std::string> folders;
};

// The diagnosis of the file at `path` for loaders of the machines `loader_machines`; the file's
// own folder is searched before `search`'s folders, as for a DLL loaded by its full path. Empty
// when the file cannot be read or is no PE image.
LoadDiagnosis Diagnose(FileSystem& files, const std::string& path,
                       const std::vector<std::uint16_t>& loader_machines, const DllSearch& search);

}  // namespace tarn
