#include "services/load_diagnosis.h"

#include <algorithm>
#include <memory>

#include "services/ascii_case.h"
#include "services/paths.h"

namespace tarn {
namespace {

// API-set names are resolved by the loader's schema, never as files.
bool IsApiSet(std::string_view name) {
  auto starts = [&](std::string_view prefix) {
    return name.size() >= prefix.size() && EqualNoCase(name.substr(0, prefix.size()), prefix);
  };
  return starts("api-") || starts("ext-");
}

}  // namespace

bool IsFile(FileSystem& files, const std::string& path) {
  std::optional<std::uint32_t> attributes = files.Attributes(path);
  return attributes && (*attributes & kDirectoryAttribute) == 0;
}

namespace {

std::optional<PeImage> ReadImageAt(FileSystem& files, const std::string& path) {
  try {
    std::unique_ptr<FileReader> reader = files.NewReader();
    reader->Open(path);
    return ReadPeImage(*reader);
  } catch (const Failure&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<std::uint16_t> ImageMachine(FileSystem& files, const std::string& path) {
  const std::optional<PeImage> image = ReadImageAt(files, path);
  return image ? std::optional(image->machine) : std::nullopt;
}

FoundImport FindImport(FileSystem& files, const std::string& own_folder, std::string_view dll,
                       const DllSearch& search) {
  FoundImport found;
  found.by_system =
      IsApiSet(dll) || std::any_of(search.known_dlls.begin(), search.known_dlls.end(),
                                   [&](const std::string& k) { return EqualNoCase(k, dll); });
  if (found.by_system) return found;
  auto look_in = [&](const std::string& folder) {
    if (folder.empty() || !found.path.empty()) return;
    std::string candidate = CombinePath(folder, dll);
    if (IsFile(files, candidate)) found.path = std::move(candidate);
  };
  look_in(own_folder);
  for (const std::string& folder : search.folders) look_in(folder);
  return found;
}

std::string ServerFile(FileSystem& files, std::string_view value) {
  if (value.starts_with('"')) {
    value.remove_prefix(1);
    return std::string(value.substr(0, value.find('"')));
  }
  const std::string whole(value);
  if (IsFile(files, whole)) return whole;
  for (std::size_t blank = value.find(' '); blank != std::string_view::npos;
       blank = value.find(' ', blank + 1)) {
    std::string part(value.substr(0, blank));
    if (IsFile(files, part)) return part;
  }
  return whole;
}

LoadDiagnosis Diagnose(FileSystem& files, const std::string& path,
                       const std::vector<std::uint16_t>& loader_machines, const DllSearch& search) {
  LoadDiagnosis diagnosis;
  const std::optional<PeImage> image = ReadImageAt(files, path);
  if (!image) return diagnosis;
  if (std::find(loader_machines.begin(), loader_machines.end(), image->machine) ==
      loader_machines.end()) {
    diagnosis.file_machine = MachineName(image->machine);
    for (std::uint16_t loader : loader_machines)
      diagnosis.loader_machines.push_back(MachineName(loader));
  }
  const std::string own_folder = GetFilePathOnly(path);
  const ImageAssemblies assemblies = search.assemblies && image->manifest
                                         ? search.assemblies->Resolve(path, image->imports)
                                         : ImageAssemblies{};
  diagnosis.missing_assemblies = assemblies.missing;
  for (const std::string& dll : image->imports) {
    if (!assemblies.Serving(dll) && FindImport(files, own_folder, dll, search).missing()) {
      diagnosis.missing_dependencies.push_back(dll);
    }
  }
  return diagnosis;
}

}  // namespace tarn
