// The version of a file as the report writes it, from its fixed file-information record.
#pragma once

#include <cstdint>
#include <string>

#include "services/platform.h"

namespace tarn {

// The upper and the lower 16 bits of a version word.
constexpr std::uint16_t HiWord(std::uint32_t word) {
  return static_cast<std::uint16_t>(word >> 16);
}
constexpr std::uint16_t LoWord(std::uint32_t word) {
  return static_cast<std::uint16_t>(word & 0xFFFFu);
}

// major.minor.build.revision from the file-version words; a build of 0 is left out, the revision
// is always written. Product version and the other words play no part.
std::string VersionText(const FixedFileInfo& record);

}  // namespace tarn
