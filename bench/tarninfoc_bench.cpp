// tarninfoc.exe over an info file of File items against the same Win32 calls in a bare loop: the
// existence test, the modification time and its local date and time texts, the version resource.
// Prints both times and their ratio, for the text report, for the JSON report and for the text
// report compared with a baseline (each with /nolog, standard output to a file); the baseline is
// the JSON report of the same run, taken first. The text report reads no file's bytes; the JSON
// report and the comparison hash each file and check its signature, and their ratios to the text
// report are what that costs. Run under Wine:
//   wine build/win64/tarninfoc_bench.exe [items [file]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
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
  // The time of the file's own date, under the zone's rules of its year, read once a year.
  static WORD rules_year = 0;
  static TIME_ZONE_INFORMATION rules{};
  SYSTEMTIME utc{}, zoned{};
  FILETIME zoned_file{};
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  if (std::exchange(rules_year, utc.wYear) != utc.wYear)
    ::GetTimeZoneInformationForYear(utc.wYear, nullptr, &rules);
  ::SystemTimeToTzSpecificLocalTime(&rules, &utc, &zoned);
  ::SystemTimeToFileTime(&zoned, &zoned_file);
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
  const std::string baseline = std::string(temp) + "tarninfoc_bench.json";
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
  // A baseline that matches every item: the comparison finds no drift, as on a healthy PC.
  if (Run("\"" + console + "\" /nolog /json \"" + info + "\"", baseline) != 0) {
    std::fprintf(stderr, "the baseline run failed\n");
    return 1;
  }
  // Rounds of the bare loop and both runs in turn, so that a slower spell of the machine weighs
  // on all three alike; the median of each round's ratio is printed, which one round of a
  // slower spell does not move.
  constexpr int kRounds = 5;
  const std::string compared = "/nolog \"/baseline:" + baseline + "\"";
  const std::string switches[] = {"/nolog", "/nolog /json", compared};
  constexpr int kModes = 3;
  std::vector<double> ratios[kModes], to_text[kModes];
  // The fastest run of each mode too: another program's load on a shared machine only ever adds
  // time, so the fastest runs are the nearest to what the modes themselves cost.
  double fastest[kModes] = {1e9, 1e9, 1e9};
  double fastest_bare = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    const double bare = Seconds([&] {
      for (const std::string& path : paths) BareFileCalls(path, sink);
    });
    double text_run = 0;
    fastest_bare = std::min(fastest_bare, bare);
    for (int s = 0; s < kModes; ++s) {
      DWORD code = 0;
      const double run = Seconds(
          [&] { code = Run("\"" + console + "\" " + switches[s] + " \"" + info + "\"", output); });
      std::printf(
          "round %d: %d File items, tarninfoc %s: %.2f s (exit code %lu), bare calls "
          "%.2f s, ratio %.3f\n",
          round + 1, items, switches[s].c_str(), run, static_cast<unsigned long>(code), bare,
          run / bare);
      ratios[s].push_back(run / bare);
      if (s == 0) text_run = run;
      fastest[s] = std::min(fastest[s], run);
      if (s > 0) to_text[s].push_back(run / text_run);
    }
  }
  for (int s = 0; s < kModes; ++s) {
    std::sort(ratios[s].begin(), ratios[s].end());
    std::printf("tarninfoc %s: median ratio %.3f over %d rounds\n", switches[s].c_str(),
                ratios[s][kRounds / 2], kRounds);
  }
  for (int s = 0; s < kModes; ++s) {
    std::printf("tarninfoc %s: fastest %.2f s, to the fastest bare loop %.3f\n",
                switches[s].c_str(), fastest[s], fastest[s] / fastest_bare);
  }
  for (int s = 1; s < kModes; ++s) {
    std::sort(to_text[s].begin(), to_text[s].end());
    std::printf("tarninfoc %s against the text report: median ratio %.3f, fastest %.3f\n",
                switches[s].c_str(), to_text[s][kRounds / 2], fastest[s] / fastest[0]);
  }
  for (const std::string& path : paths) ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(links.c_str());
  ::DeleteFileA(info.c_str());
  ::DeleteFileA(output.c_str());
  ::DeleteFileA(baseline.c_str());
  return 0;
}
