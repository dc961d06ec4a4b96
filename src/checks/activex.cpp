// The ActiveX component check: the block an ActiveXComponent item line writes, the type library's
// GUID, and the registration through the registration tool.
#include "form/main_form.h"
#include "services/texts.h"

namespace tarn {

// GUID, date and version are all gathered before any line after the heading is written, so a
// failure on the way leaves the block at its heading; registration comes only after the three
// lines, so the GUID is read before the file is registered.
void MainForm::GetActiveXInfo(const std::string& path) noexcept {
  Guarded({Mode::kLogAndLeave, text::kProcedureGetActiveXInfo}, *this, [&] {
    if (!BeginFileBlock(text::kActiveXHeading, path)) return;
    bool guid_read = false;
    const std::string guid = GetActiveXGUID(path, guid_read);
    const WriteTime modified = files_.LastWriteTime(path);
    const std::string date = GeneralDate(desktop_, modified.shown);
    const std::string version = GetFileVersion(path);
    LogEntry(std::string(text::kFileDate) + date);
    LogEntry(std::string(text::kFileVersion) + version);
    LogEntry(std::string(text::kClsid) + guid);
    findings_.Modified(modified.zoned);
    findings_.Version(version);
    findings_.TypeLibrary(guid, guid_read);
    if (!register_components) {
      LogEntry(text::kRegisterNotRun);
      return;
    }
    const bool registered = RegisterActiveX(path);
    LogEntry(registered ? text::kRegisterOk : text::kRegisterFailed);
    findings_.Registered(registered);
  });
}

// Never reports: a failure's description takes the GUID's place. The reader lives for this call
// only and is released on every way out.
std::string MainForm::GetActiveXGUID(const std::string& path, bool& read) noexcept {
  read = false;
  std::string result;
  std::unique_ptr<TypeLibReader> reader;
  ErrorState errors;
  errors.Attempt([&] {
    if (!DoesFileExist(path)) {
      result = text::kNoFileForGuid;
      return;
    }
    // A reader that cannot be created is simply absent.
    ErrorState creation;
    creation.Attempt([&] { reader = com_.NewTypeLibReader(); });
    if (!reader) {
      result = text::kNoTypeLibReader;
      return;
    }
    reader->SetFile(path);
    result = reader->Guid();
    read = true;
  });
  if (errors.failed()) result = errors.description();
  reader.reset();
  return result;
}

bool MainForm::RegisterActiveX(const std::string& path) noexcept {
  bool registered = true;
  const bool ran = Guarded({Mode::kLogAndLeave, text::kProcedureRegisterActiveX}, *this, [&] {
    if (!DoesFileExist(path)) {
      LogEntry(std::string(text::kFileNotFoundForRegister) + path);
      registered = false;
      return;
    }
    // A path that already starts with a quote is the caller's quoting, kept as it is.
    std::string command(text::kRegisterCommand);
    if (!path.empty() && path.front() == '"')
      command += path;
    else
      command += '"' + path + '"';
    const ProgramEnd end = processes_.RunAndWait(command);
    findings_.RegistrationEnded(end);
    registered = end.Succeeded();
  });
  return ran && registered;
}

}  // namespace tarn
