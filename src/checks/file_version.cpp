#include "checks/file_version.h"

#include "form/main_form.h"

namespace tarn {

std::string VersionText(const FixedFileInfo& record) {
  const std::uint32_t high = record[kFileVersionHigh];
  const std::uint32_t low = record[kFileVersionLow];
  std::string text = std::to_string(HiWord(high)) + '.' + std::to_string(LoWord(high)) + '.';
  if (HiWord(low) != 0) text += std::to_string(HiWord(low)) + '.';
  text += std::to_string(LoWord(low));
  return text;
}

// Empty text for a file without version information. The text is only taken at the very end, so
// a failure on the way leaves it empty.
std::string MainForm::GetFileVersion(const std::string& path) noexcept {
  std::string version;
  Guarded({Mode::kBoxAndLeave, text::kProcedureGetFileVersion}, *this, [&] {
    const std::optional<FixedFileInfo> record = files_.FixedVersionInfo(path);
    if (record) version = VersionText(*record);
  });
  return version;
}

}  // namespace tarn
