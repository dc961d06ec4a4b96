// tarninfoc /scan of a folder of PE images against a bare loop of the same reads: the folder
// listed, each file's first bytes and, for an image, the parts that hold its export and import
// tables, the version resource of the top-level exe, and one pass over the registry's classes in
// both views; and the same scan with an image of 3 GB added (a sparse file). Prints the times and
// their ratios. Run under Wine:
//   wine build/win64/scan_bench.exe [images [file]]
#include <windows.h>
#include <winioctl.h>

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
constexpr int kPerFolder = 100;  // images in each subfolder

// 64 KB of the file from `offset`, as the scan reads a file's parts.
DWORD ReadAt(HANDLE file, ULONGLONG offset, std::string& bytes) {
  bytes.resize(64 * 1024);
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, &where)) return 0;
  return read;
}

// Each file's first bytes and, for an image, the parts that hold its export and import
// directories; the names the directories point at lie in the same parts in the usual image.
void BareRead(const std::string& path, std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD read = ReadAt(file, 0, bytes);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  if (read >= sizeof *dos && dos->e_magic == IMAGE_DOS_SIGNATURE &&
      static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64) <= read) {
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY* directories =
        nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
            ? nt->OptionalHeader.DataDirectory
            : reinterpret_cast<const IMAGE_NT_HEADERS32*>(nt)->OptionalHeader.DataDirectory;
    const DWORD wanted[] = {directories[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress,
                            directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress};
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    std::vector<ULONGLONG> offsets;
    for (const DWORD address : wanted) {
      for (WORD i = 0; address != 0 && i < nt->FileHeader.NumberOfSections; ++i) {
        if (reinterpret_cast<const char*>(sections + i + 1) > bytes.data() + read) break;
        const IMAGE_SECTION_HEADER& s = sections[i];
        if (address >= s.VirtualAddress && address - s.VirtualAddress < s.SizeOfRawData)
          offsets.push_back(s.PointerToRawData + (address - s.VirtualAddress));
      }
    }
    for (const ULONGLONG offset : offsets) ReadAt(file, offset - offset % 4096, bytes);
  }
  ::CloseHandle(file);
}

void BareList(const std::string& folder, std::string& bytes) {
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      BareList(folder + "\\" + name, bytes);
    else
      BareRead(folder + "\\" + name, bytes);
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
}

void BareProductName(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return;
  std::vector<char> buffer(size);
  ::GetFileVersionInfoA(path.c_str(), handle, size, buffer.data());
  void* block = nullptr;
  UINT length = 0;
  ::VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &block, &length);
  ::VerQueryValueA(buffer.data(), "\\StringFileInfo\\040904b0\\ProductName", &block, &length);
}

// Every class of both views, and its servers' values.
void BareRegistryPass() {
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY ids = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ | view, &ids) != ERROR_SUCCESS)
      continue;
    char id[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof id;
      if (::RegEnumKeyExA(ids, i, id, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      for (const char* server : {"\\InprocServer32", "\\LocalServer32"}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(ids, (std::string(id) + server).c_str(), 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS)
          continue;
        char value[MAX_PATH * 4];
        DWORD type = 0, length = sizeof value;
        ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &length);
        ::RegCloseKey(key);
      }
    }
    ::RegCloseKey(ids);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int images = argc > 1 ? std::atoi(argv[1]) : 5000;
  const std::string file = argc > 2 ? argv[2] : "C:\\windows\\system32\\scrrun.dll";
  const std::string exe = tarn::win32::ExePath();
  const std::string console = exe.substr(0, exe.rfind('\\')) + "\\tarninfoc.exe";
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string output = std::string(temp) + "scan_bench.out";
  // The application: an exe at the top and the images in subfolders, hard links to one file.
  const std::string root = std::string(temp) + "scan_bench";
  ::CreateDirectoryA(root.c_str(), nullptr);
  std::vector<std::string> paths{root + "\\app.exe"}, folders;
  for (int i = 1; i < images; ++i) {
    const std::string folder = root + "\\part" + std::to_string(i / kPerFolder);
    if (folders.empty() || folders.back() != folder) {
      ::CreateDirectoryA(folder.c_str(), nullptr);
      folders.push_back(folder);
    }
    paths.push_back(folder + "\\" + std::to_string(i) + ".dll");
  }
  for (const std::string& path : paths) {
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !::CreateHardLinkA(path.c_str(), file.c_str(), nullptr)) {
      std::fprintf(stderr, "cannot link %s\n", path.c_str());
      return 1;
    }
  }

  // An installer of 3 GB, a copy of the file lengthened with a hole, kept beside the folder and
  // moved into it for the scan that has it.
  const std::string big = std::string(temp) + "scan_bench_big.dll", inside = root + "\\big.dll";
  if (!::CopyFileA(file.c_str(), big.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", file.c_str());
    return 1;
  }
  HANDLE lengthen =
      ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD returned = 0;
  ::DeviceIoControl(lengthen, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER three{};
  three.QuadPart = 3LL << 30;
  const bool lengthened =
      ::SetFilePointerEx(lengthen, three, nullptr, FILE_BEGIN) && ::SetEndOfFile(lengthen);
  ::CloseHandle(lengthen);
  if (!lengthened) {
    std::fprintf(stderr, "cannot lengthen %s\n", big.c_str());
    return 1;
  }

  std::string bytes;
  auto bare = [&] {
    BareList(root, bytes);
    BareProductName(paths.front());
    BareRegistryPass();
  };
  auto scan = [&](DWORD& code) {
    return Seconds([&] { code = Run("\"" + console + "\" \"/scan:" + root + "\"", output); });
  };
  bare();  // the files in memory
  // Rounds of the bare loop, the scan and the scan with the big image in turn, so that a slower
  // spell of the machine weighs on all alike; the median of the rounds' ratios is printed.
  constexpr int kRounds = 7;
  std::vector<double> ratios, big_ratios;
  double fastest_loop = 1e9, fastest_scan = 1e9, fastest_big = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    const double loop = Seconds(bare);
    DWORD code = 0, big_code = 0;
    const double plain = scan(code);
    ::MoveFileA(big.c_str(), inside.c_str());
    const double with_big = scan(big_code);
    ::MoveFileA(inside.c_str(), big.c_str());
    std::printf(
        "round %d: %d images, tarninfoc /scan: %.2f s (exit code %lu), bare reads %.2f s, "
        "ratio %.3f; with a 3 GB image: %.2f s (exit code %lu), ratio to the scan %.3f\n",
        round + 1, images, plain, static_cast<unsigned long>(code), loop, plain / loop, with_big,
        static_cast<unsigned long>(big_code), with_big / plain);
    ratios.push_back(plain / loop);
    big_ratios.push_back(with_big / plain);
    fastest_loop = std::min(fastest_loop, loop);
    fastest_scan = std::min(fastest_scan, plain);
    fastest_big = std::min(fastest_big, with_big);
  }
  std::sort(ratios.begin(), ratios.end());
  std::sort(big_ratios.begin(), big_ratios.end());
  std::printf("tarninfoc /scan: median ratio %.3f over %d rounds\n", ratios[kRounds / 2], kRounds);
  // On a machine shared with other work, the fastest round of each is the one least disturbed.
  std::printf("fastest rounds: tarninfoc /scan %.2f s, bare reads %.2f s, ratio %.3f\n",
              fastest_scan, fastest_loop, fastest_scan / fastest_loop);
  std::printf(
      "with a 3 GB image: median ratio to the scan without it %.3f, fastest %.2f s against "
      "%.2f s, ratio %.3f\n",
      big_ratios[kRounds / 2], fastest_big, fastest_scan, fastest_big / fastest_scan);
  ::DeleteFileA(big.c_str());
  for (const std::string& path : paths) ::DeleteFileA(path.c_str());
  for (const std::string& folder : folders) ::RemoveDirectoryA(folder.c_str());
  ::RemoveDirectoryA(root.c_str());
  ::DeleteFileA(output.c_str());
  return 0;
}
