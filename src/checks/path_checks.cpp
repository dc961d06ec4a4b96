// The form's path procedures: the folder of a path, and whether a file or a folder exists, each
// guarded by the form's failure modes.
#include "form/main_form.h"
#include "script/item_line.h"
#include "services/paths.h"
#include "services/platform.h"

namespace tarn {

std::string MainForm::GetFilePathOnly(std::string_view path) noexcept {
  std::string folder;
  Guarded({Mode::kLogAndLeave, text::kProcedureGetFilePathOnly}, *this,
          [&] { folder = tarn::GetFilePathOnly(path); });
  return folder;
}

bool MainForm::DoesFileExist(std::string_view path) noexcept {
  bool exists = false;
  Guarded({Mode::kSilentDefault, {}}, *this, [&] {
    std::string trimmed(TrimSpaces(path));
    if (trimmed.empty()) return;
    std::optional<std::uint32_t> attributes = files_.Attributes(trimmed);
    exists = attributes && (*attributes & kDirectoryAttribute) == 0;
  });
  return exists;
}

bool MainForm::DoesFolderExist(std::string_view path) noexcept {
  bool exists = false;
  Guarded({Mode::kSilentDefault, {}}, *this, [&] {
    if (path.empty()) return;
    std::optional<std::uint32_t> attributes = files_.Attributes(std::string(path));
    exists = attributes && (*attributes & kDirectoryAttribute) != 0;
  });
  return exists;
}

}  // namespace tarn
