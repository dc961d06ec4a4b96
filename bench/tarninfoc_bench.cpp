// tarninfoc.exe over an info file of File items against the same Win32 calls in a bare loop: the
// existence test, the modification time and its local date and time texts, the version resource.
// Prints both times and their ratio, for the text report and for the JSON report (each with
// /nolog, standard output to a file). Run under Wine:
//   wine build/win64/tarninfoc_bench.exe [items [file]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench.h"
#include "services/win32/desktop.h"

namespace {

using tarn::bench::Run;
using tarn::bench::Seconds;

// What the File check asks of Windows for one item, with nothing around it.
void BareFileCalls(const std::string& path, std::string& sink) {
  char key[] = "File";
  ::CharUpperBuffA(key, 4);
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  FILETIME local{};
  SYSTEMTIME time{};
  ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  ::FileTimeToSystemTime(&local, &time);
  char date[128], clock[128];
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size != 0) {
    std::vector<char> buffer(size);
    ::GetFileVersionInfoA(path.c_str(), handle, size, buffer.data());
    void* block = nullptr;
    UINT length = 0;
    ::VerQueryValueA(buffer.data(), "\\", &block, &length);
  }
  sink.assign(date).append(clock);
}

}  // namespace

int main(int argc, char** argv) {
  const int items = argc > 1 ? std::atoi(argv[1]) : 32767;
  const std::string file = argc > 2 ? argv[2] : "C:\\windows\\system32\\kernel32.dll";
  const std::string folder = tarn::win32::ExePath().substr(0, tarn::win32::ExePath().rfind('\\'));
  const std::string console = folder + "\\tarninfoc.exe";
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string info = std::string(temp) + "tarninfoc_bench.tarninfo";
  const std::string output = std::string(temp) + "tarninfoc_bench.out";
  // Each item a file of its own, as on a real machine: hard links to the one file.
  const std::string links = std::string(temp) + "tarninfoc_bench";
  ::CreateDirectoryA(links.c_str(), nullptr);
  std::vector<std::string> paths;
  std::string script;
  for (int i = 0; i < items; ++i) {
    paths.push_back(links + "\\" + std::to_string(i) + ".dll");
    if (::GetFileAttributesA(paths.back().c_str()) == INVALID_FILE_ATTRIBUTES &&
        !::CreateHardLinkA(paths.back().c_str(), file.c_str(), nullptr)) {
      std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
      return 1;
    }
    script += "File=" + paths.back() + "\r\n";
  }
  FILE* out = std::fopen(info.c_str(), "wb");
  if (!out) return 1;
  std::fwrite(script.data(), 1, script.size(), out);
  std::fclose(out);

  std::string sink;
  for (const std::string& path : paths) BareFileCalls(path, sink);  // the files in memory
  // Rounds of the bare loop and both runs in turn, so that a slower spell of the machine weighs
  // on all three alike; the median of each round's ratio is printed, which one round of a
  // slower spell does not move.
  constexpr int kRounds = 5;
  const char* const kSwitches[] = {"/nolog", "/nolog /json"};
  std::vector<double> ratios[2];
  for (int round = 0; round < kRounds; ++round) {
    const double bare = Seconds([&] {
      for (const std::string& path : paths) BareFileCalls(path, sink);
    });
    for (int s = 0; s < 2; ++s) {
      DWORD code = 0;
      const double run = Seconds(
          [&] { code = Run("\"" + console + "\" " + kSwitches[s] + " \"" + info + "\"", output); });
      std::printf(
          "round %d: %d File items, tarninfoc %s: %.2f s (exit code %lu), bare calls "
          "%.2f s, ratio %.3f\n",
          round + 1, items, kSwitches[s], run, static_cast<unsigned long>(code), bare, run / bare);
      ratios[s].push_back(run / bare);
    }
  }
  for (int s = 0; s < 2; ++s) {
    std::sort(ratios[s].begin(), ratios[s].end());
    std::printf("tarninfoc %s: median ratio %.3f over %d rounds\n", kSwitches[s],
                ratios[s][kRounds / 2], kRounds);
  }
  for (const std::string& path : paths) ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(links.c_str());
  ::DeleteFileA(info.c_str());
  ::DeleteFileA(output.c_str());
  return 0;
}
