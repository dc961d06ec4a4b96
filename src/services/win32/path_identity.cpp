#include "services/win32/path_identity.h"

#include "services/win32/handles.h"

namespace tarn::win32 {
namespace {

// Open for its attributes only, beside every other reader, writer or deleter: the file may be
// loaded, or held open by an installer, while it is compared.
UniqueFile OpenToCompare(const std::string& path) {
  return UniqueFile(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

}  // namespace

bool SameFile(HANDLE file, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
  return ::GetFileInformationByHandle(file, &mine) &&
         ::GetFileInformationByHandle(other, &theirs) &&
         mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == theirs.nFileIndexHigh && mine.nFileIndexLow == theirs.nFileIndexLow;
}

bool Win32PathIdentity::SameFile(const std::string& path, const std::string& other) {
  const UniqueFile file = OpenToCompare(path);
  const UniqueFile other_file = file ? OpenToCompare(other) : UniqueFile();
  return file && other_file && win32::SameFile(file.get(), other_file.get());
}

}  // namespace tarn::win32
