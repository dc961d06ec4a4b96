// The File check: the block a File item line writes to the report.
#include "form/main_form.h"
#include "services/texts.h"

namespace tarn {

bool MainForm::BeginFileBlock(std::string_view heading, const std::string& path) {
  LogEntry("");
  LogEntry(std::string(heading) + path);
  const bool exists = DoesFileExist(path);
  findings_.Exists(exists);
  if (!exists) LogEntry(text::kFileDoesNotExist);
  return exists;
}

// Date and version are both fetched before either entry is written, so a failure on the way
// leaves the block at its heading. The existence test trims the path; the date query and the
// heading use it as passed.
void MainForm::GetFileInfo(const std::string& path) noexcept {
  Guarded({Mode::kLogAndLeave, text::kProcedureGetFileInfo}, *this, [&] {
    if (!BeginFileBlock(text::kFileHeading, path)) return;
    const WriteTime modified = files_.LastWriteTime(path);
    const std::string date = GeneralDate(desktop_, modified.shown);
    const std::string version = GetFileVersion(path);
    LogEntry(std::string(text::kFileDate) + date);
    LogEntry(std::string(text::kFileVersion) + version);
    findings_.Modified(modified.zoned);
    findings_.Version(version);
  });
}

}  // namespace tarn
