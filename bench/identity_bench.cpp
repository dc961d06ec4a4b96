// The cost of a file's SHA-256 and of its signature check against the cost of its version: one
// DLL hashed, its signature checked, then its version read, N times each (32,767 unless given, as
// many as an info file's lines), in three rounds; prints each round's times and ratio and the ratio
// of the fastest of each. The file is scrrun.dll unless given: one that this process has not
// loaded, whose version would else be read from the loaded module. Run under Wine:
//   wine build/win64/identity_bench.exe [times [file]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench.h"
#include "services/win32/file_identity.h"
#include "services/win32/files.h"

int main(int argc, char** argv) {
  const int times = argc > 1 ? std::atoi(argv[1]) : 32767;
  std::string file = argc > 2 ? argv[2] : "";
  if (file.empty()) {
    char system[MAX_PATH];
    ::GetSystemDirectoryA(system, MAX_PATH);
    file = std::string(system) + "\\scrrun.dll";
  }
  tarn::win32::Win32FileIdentity identity;
  tarn::win32::Win32FileSystem files;
  const std::uint64_t size = identity.Digest(file).size;
  std::printf("%s, %llu bytes, %d times\n", file.c_str(), static_cast<unsigned long long>(size),
              times);
  double fastest_hash = 1e9, fastest_version = 1e9, fastest_signature = 1e9;
  for (int round = 0; round < 3; ++round) {
    const double hash = tarn::bench::Seconds([&] {
      for (int i = 0; i < times; ++i) identity.Digest(file);
    });
    const double signature = tarn::bench::Seconds([&] {
      for (int i = 0; i < times; ++i) identity.SignatureOf(file);
    });
    fastest_signature = std::min(fastest_signature, signature);
    const double version = tarn::bench::Seconds([&] {
      for (int i = 0; i < times; ++i) files.FixedVersionInfo(file);
    });
    fastest_hash = std::min(fastest_hash, hash);
    fastest_version = std::min(fastest_version, version);
    std::printf("round %d: SHA-256 %.2f s, signature %.2f s, version %.2f s, ratios %.2f, %.2f\n",
                round + 1, hash, signature, version, hash / version, signature / version);
  }
  std::printf("fastest: SHA-256 %.2f s, signature %.2f s, version %.2f s, ratios %.2f, %.2f\n",
              fastest_hash, fastest_signature, fastest_version, fastest_hash / fastest_version,
              fastest_signature / fastest_version);
  return 0;
}
