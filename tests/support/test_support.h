// What every suite on the Windows side shares: a wait for a condition with a deadline, and a
// scratch folder of its own.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace tarn::test {

// Checks `done` until it holds or `timeout_ms` has passed; the answer is the last check's.
template <class Condition>
bool WaitUntil(Condition done, DWORD timeout_ms = 30000) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    if (::GetTickCount64() >= deadline) return done();
    ::Sleep(10);  // the poll's interval, not a guess at how long something takes
  }
  return true;
}

// A new, empty folder under C:\tarn-tests, removed with everything in it at the end. Not under
// %TEMP%, which lies in a hidden folder that the shell's folder browser does not show.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path("C:\\tarn-tests") / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    path_ = folder.string();
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    // Read-only files would stop the clean-up.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
      ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path_, ignored);
  }

  const std::string& path() const { return path_; }  // no trailing backslash
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace tarn::test
