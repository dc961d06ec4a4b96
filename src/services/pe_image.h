// The PE reader: an image's machine, the DLLs it imports, whether it registers itself and whether
// it has a manifest, read from its headers and tables without loading it, and the first bytes of
// a type library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/byte_source.h"

namespace tarn {

inline constexpr std::uint16_t kMachineX86 = 0x014c;
inline constexpr std::uint16_t kMachineX64 = 0x8664;
inline constexpr std::uint16_t kMachineArm64 = 0xaa64;

struct PeImage {
  std::uint16_t machine = 0;
  // The DLLs of the import table, in its order; delay-loaded ones are not needed to load.
  std::vector<std::string> imports;
  // It exports DllRegisterServer: a component that registers itself.
  bool self_registering = false;
  // Its resources hold a manifest, or cannot be read well enough to say they hold none: only such
  // an image can have an activation context of its own, and then the loader decides whether it
  // has one. Any other image's imports follow the loader's search alone.
  bool manifest = false;
};

// Nothing when the bytes are not a PE image whose headers hold together. Only the headers, the
// ranges of the import and export tables and the root of the resource directory are read, through
// a window of at most 64 KB; throws what the source throws.
std::optional<PeImage> ReadPeImage(ByteSource& bytes);

// A file's first bytes (four are enough) begin as a type library file does.
bool IsTypeLibrary(std::string_view start);

// "x86", "x64", "arm64", else the machine word as 0x and four hexadecimal digits.
std::string MachineName(std::uint16_t machine);

}  // namespace tarn
