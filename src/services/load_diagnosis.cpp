#include "services/load_diagnosis.h"

#include <algorithm>
#include <cstdio>

#include "services/paths.h"
#include "services/ascii_case.h"

namespace tarn {
namespace {

constexpr std::size_t kMaxName = 255;  // the longest file name Windows allows

// Little-endian fields at offsets that the file itself gives: every read is checked against the
// end, so a damaged file gives nothing rather than a read past the bytes.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::uint32_t> Read(std::uint64_t offset, int size) const {
    if (offset > bytes_.size() || bytes_.size() - offset < static_cast<std::uint64_t>(size)) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    }
    return value;
  }

  // The zero-ended name at `offset`, or nothing when it runs to the end or is longer than any
  // file name: a damaged table whose entries all point at one long run of bytes would otherwise
  // copy that run once for each entry.
  std::optional<std::string> Name(std::uint64_t offset) const {
    if (offset >= bytes_.size()) return std::nullopt;
    const std::string_view name = bytes_.substr(offset, kMaxName + 1);
    const std::size_t end = name.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    return std::string(name.substr(0, end));
  }

 private:
  std::string_view bytes_;
};

struct Section {
  std::uint32_t address, size, raw_offset, raw_size;
};

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kPe32 = 0x10b, kPe32Plus = 0x20b;
constexpr std::uint32_t kImportDirectory = 1;
constexpr std::uint32_t kDescriptorSize = 20;
// No real import table names this many DLLs; the bound keeps a damaged one from running long.
constexpr std::size_t kMaxImports = 4096;

std::optional<std::uint64_t> FileOffset(const std::vector<Section>& sections,
                                        std::uint32_t address) {
  for (const Section& s : sections) {
    std::uint32_t extent = std::max(s.size, s.raw_size);
    if (address >= s.address && address - s.address < extent) {
      std::uint32_t into = address - s.address;
      if (into >= s.raw_size) return std::nullopt;  // in memory only, never in the file
      return std::uint64_t{s.raw_offset} + into;
    }
  }
  return std::nullopt;
}

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

std::optional<PeImage> ReadPeImage(std::string_view bytes) {
  Bytes file(bytes);
  if (file.Read(0, 2) != 0x5a4d) return std::nullopt;  // "MZ"
  std::optional<std::uint32_t> nt = file.Read(0x3c, 4);
  if (!nt || file.Read(*nt, 4) != kPeSignature) return std::nullopt;
  const std::uint64_t header = std::uint64_t{*nt} + 4;
  std::optional<std::uint32_t> machine = file.Read(header, 2);
  std::optional<std::uint32_t> section_count = file.Read(header + 2, 2);
  std::optional<std::uint32_t> optional_size = file.Read(header + 16, 2);
  if (!machine || !section_count || !optional_size) return std::nullopt;
  PeImage image;
  image.machine = static_cast<std::uint16_t>(*machine);

  const std::uint64_t optional = header + 20;
  std::optional<std::uint32_t> magic = file.Read(optional, 2);
  if (magic != kPe32 && magic != kPe32Plus) return std::nullopt;
  const std::uint64_t directories = optional + (magic == kPe32 ? 96 : 112);
  std::optional<std::uint32_t> directory_count = file.Read(directories - 4, 4);
  if (!directory_count) return std::nullopt;
  if (*directory_count <= kImportDirectory ||
      directories + 8 * (kImportDirectory + 1) > optional + *optional_size) {
    return image;  // no import directory: nothing imported
  }
  std::optional<std::uint32_t> imports = file.Read(directories + 8 * kImportDirectory, 4);
  if (!imports) return std::nullopt;
  if (*imports == 0) return image;

  std::vector<Section> sections;
  for (std::uint32_t i = 0; i < *section_count; ++i) {
    std::uint64_t at = optional + *optional_size + 40ull * i;
    std::optional<std::uint32_t> size = file.Read(at + 8, 4), address = file.Read(at + 12, 4),
                                 raw_size = file.Read(at + 16, 4), raw = file.Read(at + 20, 4);
    if (!size || !address || !raw_size || !raw) return std::nullopt;
    sections.push_back({*address, *size, *raw, *raw_size});
  }

  std::optional<std::uint64_t> descriptor = FileOffset(sections, *imports);
  if (!descriptor) return std::nullopt;
  for (;; *descriptor += kDescriptorSize) {
    std::optional<std::uint32_t> name = file.Read(*descriptor + 12, 4);
    std::optional<std::uint32_t> thunks = file.Read(*descriptor + 16, 4);
    if (!name || !thunks) return std::nullopt;
    if (*name == 0 && *thunks == 0) break;
    std::optional<std::uint64_t> at = FileOffset(sections, *name);
    std::optional<std::string> dll = at ? file.Name(*at) : std::nullopt;
    if (!dll || image.imports.size() == kMaxImports) return std::nullopt;
    image.imports.push_back(std::move(*dll));
  }
  return image;
}

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineX86:
      return "x86";
    case kMachineX64:
      return "x64";
    case kMachineArm64:
      return "arm64";
    default: {
      char text[8];
      std::snprintf(text, sizeof text, "0x%04x", machine);
      return text;
    }
  }
}

LoadDiagnosis Diagnose(FileSystem& files, const std::string& path,
                       const std::vector<std::uint16_t>& loader_machines, const DllSearch& search) {
  LoadDiagnosis diagnosis;
  std::optional<PeImage> image;
  try {
    image = ReadPeImage(files.ReadAll(path));
  } catch (const Failure&) {
  }
  if (!image) return diagnosis;
  if (std::find(loader_machines.begin(), loader_machines.end(), image->machine) ==
      loader_machines.end()) {
    diagnosis.file_machine = MachineName(image->machine);
    for (std::uint16_t loader : loader_machines)
      diagnosis.loader_machines.push_back(MachineName(loader));
  }
  std::vector<std::string> folders{GetFilePathOnly(path)};
  folders.insert(folders.end(), search.folders.begin(), search.folders.end());
  for (const std::string& dll : image->imports) {
    bool known =
        IsApiSet(dll) || std::any_of(search.known_dlls.begin(), search.known_dlls.end(),
                                     [&](const std::string& k) { return EqualNoCase(k, dll); });
    bool found = known || std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
                   return !f.empty() && IsFile(files, CombinePath(f, dll));
                 });
    if (!found) diagnosis.missing_dependencies.push_back(dll);
  }
  return diagnosis;
}

}  // namespace tarn
