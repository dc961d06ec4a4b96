// The two classic reasons why Windows' loader refuses a DLL, read from the file's own headers
// without loading it: a machine other than the loader's, and imported DLLs that the loader's
// search does not find.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/diagnostics.h"
#include "services/pe_image.h"
#include "services/platform.h"
#include "services/side_by_side.h"

namespace tarn {

// A file, not a folder, is at `path`.
bool IsFile(FileSystem& files, const std::string& path);

// The machine of the image at `path`; nothing when it cannot be read or is no image.
std::optional<std::uint16_t> ImageMachine(FileSystem& files, const std::string& path);

// Where the loader looks for an imported DLL that is not already decided: the known DLLs (names
// in any case), then each folder in order. Before both, Diagnose asks `assemblies`, when there
// are any, for the side-by-side assemblies that the image's manifest names.
struct DllSearch {
  std::vector<std::string> known_dlls;
  std::vector<std::string> folders;
  Assemblies* assemblies = nullptr;
};

// Where the loader takes an imported DLL from: the system itself (a known DLL or an API set), else
// the first file of that name in the importing file's own folder and then in the search's folders.
struct FoundImport {
  bool by_system = false;
  std::string path;  // empty when neither the system nor any folder has it
  bool missing() const { return !by_system && path.empty(); }
};
FoundImport FindImport(FileSystem& files, const std::string& own_folder, std::string_view dll,
                       const DllSearch& search);

// The file that a class's server value names, as the system reads it: the text inside the quotes
// when it begins with one; else the whole when it is a file, or the shortest part before a blank
// that is one, the rest being the server's arguments; else the whole.
std::string ServerFile(FileSystem& files, std::string_view value);

// The diagnosis of the file at `path` for loaders of the machines `loader_machines`; the file's
// own folder is searched before `search`'s folders, as for a DLL loaded by its full path. Empty
// when the file cannot be read or is no PE image.
LoadDiagnosis Diagnose(FileSystem& files, const std::string& path,
                       const std::vector<std::uint16_t>& loader_machines, const DllSearch& search);

}  // namespace tarn
