// What the loader of an image's machine sees on this PC, as this process can read it. On a 64-bit
// Windows each half has its own system folder, registry view and program files, whatever the
// machine of the process that asks: the 32-bit release build asks about 64-bit applications too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/load_diagnosis.h"
#include "services/platform.h"

namespace tarn {

// The registry's views: a 64-bit Windows' own, and the one its 32-bit programs read. A 32-bit
// Windows has one view, the first.
enum class RegistryView { k64Bit, k32Bit };

class LoaderView {
 public:
  // Reads the facts once.
  explicit LoaderView(LoaderFacts& facts);

  std::uint16_t ProcessMachine() const { return process_; }
  // The machine whose programs read `view`.
  std::uint16_t MachineOf(RegistryView view) const;
  // The view that holds the classes of an image of `machine`.
  RegistryView ViewOf(std::uint16_t machine) const;

  // The folder that an image of `machine` takes its system DLLs from, by a name this process
  // reads: the 32-bit system folder for an x86 image on a 64-bit Windows, Sysnative for a 64-bit
  // image when this process is a 32-bit one there, else the system folder.
  std::string SystemFolderFor(std::uint16_t machine) const;
  // `path` as this process reads what the loader of `machine` finds there: a path in the system
  // folder is read in that machine's system folder.
  std::string ReadableFor(const std::string& path, std::uint16_t machine) const;
  // The known DLLs and, after the image's own folder, the folders of the standard search for a
  // DLL loaded by its full path with the altered search path, as RegSvr32 and COM load servers:
  // the system folder, the 16-bit system folder, the Windows folder, the current folder and PATH.
  DllSearch SearchFor(std::uint16_t machine) const;

  // A REG_EXPAND_SZ text as the programs of `view` expand it: %ProgramFiles% and
  // %CommonProgramFiles% are that half's folders, whatever this process's own are; every other
  // variable as this process's environment gives it, one that is not set left as written.
  std::string Expand(std::string_view text, RegistryView view) const;

  // One of Windows' own files, by Windows Resource Protection.
  bool ProtectedByWindows(const std::string& path) const;

 private:
  bool TwoHalves() const { return !wow64_system_.empty(); }

  LoaderFacts& facts_;
  std::uint16_t process_, windows_machine_;
  std::string system_, wow64_system_, windows_, current_;
  std::vector<std::string> known_dlls_, path_;
};

}  // namespace tarn
