// What the benchmarks share: a stopwatch and a run of a program with its output to a file.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace tarn::bench {

template <typename Body>
double Seconds(Body&& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the command line with standard output and error going to `output`; its exit code.
inline DWORD Run(std::string command_line, const std::string& output) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = ::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION started{};
  DWORD code = 99;
  if (::CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &started)) {
    ::WaitForSingleObject(started.hProcess, INFINITE);
    ::GetExitCodeProcess(started.hProcess, &code);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
  }
  ::CloseHandle(out);
  return code;
}

}  // namespace tarn::bench
