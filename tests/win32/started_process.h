// Finding a program that another process started, for the tests that watch it run and end.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

namespace tarn::testing {

// The running program named `exe` (a file name, any case) that the process `parent` started, open
// for waiting, asking its id and ending it; null when there is none.
inline HANDLE StartedProcess(DWORD parent, const char* exe) {
  HANDLE found = nullptr;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more && !found;
       more = ::Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parent && ::lstrcmpiA(entry.szExeFile, exe) == 0)
      found = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                            FALSE, entry.th32ProcessID);
  ::CloseHandle(snapshot);
  return found;
}

}  // namespace tarn::testing
