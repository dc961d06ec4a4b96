#include "checks/paths.h"

#include "form/main_form.h"
#include "script/item_line.h"
#include "services/platform.h"

namespace tarn {

std::string CombinePath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (name.empty()) return std::string(folder);
  std::string_view base = folder;
  if (base.back() == '\\') base.remove_suffix(1);
  std::string joined(base);
  if (name.front() != '\\') joined += '\\';
  joined += name;
  return joined;
}

std::string GetFilePathOnly(std::string_view path) {
  std::size_t last = path.rfind('\\');
  if (last == std::string_view::npos || last == 0) return {};
  return std::string(path.substr(0, last));
}

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
