// Prints "name<TAB>version" for every file of a folder, the version as the File check writes
// it; the version comparison matches this list against an independent reader's.
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks/file_version.h"
#include "checks/paths.h"
#include "services/win32/files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_list FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(tarn::CombinePath(folder, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 1;
  tarn::win32::Win32FileSystem files;
  int status = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    try {
      auto record = files.FixedVersionInfo(tarn::CombinePath(folder, found.cFileName));
      std::printf("%s\t%s\n", found.cFileName, record ? tarn::VersionText(*record).c_str() : "");
    } catch (const std::exception& failure) {
      std::fprintf(stderr, "%s: %s\n", found.cFileName, failure.what());
      status = 1;
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return status;
}
