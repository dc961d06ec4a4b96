#include "services/pe_image.h"

#include <algorithm>
#include <cstdio>

namespace tarn {
namespace {

constexpr std::size_t kMaxName = 255;  // the longest file name Windows allows

// Little-endian fields at offsets that the file itself gives: every read is checked against the
// end, so a damaged file gives nothing rather than a read past the bytes. The bytes come through a
// window of the source that moves only when a read falls outside it, so the reader asks the source
// for a few ranges of an image, never for the whole, whatever its length.
class Bytes {
 public:
  explicit Bytes(ByteSource& source) : source_(source) {}

  std::optional<std::uint32_t> Read(std::uint64_t offset, int size) {
    const std::size_t count = static_cast<std::size_t>(size);
    if (!Holds(offset, count) && !Load(offset, count)) return std::nullopt;
    const std::string_view bytes = window_.substr(static_cast<std::size_t>(offset - start_), count);
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
  }

  // The zero-ended name at `offset`, or nothing when it runs to the end or is longer than any
  // file name: a damaged table whose entries all point at one long run of bytes would otherwise
  // copy that run once for each entry.
  std::optional<std::string_view> Name(std::uint64_t offset) {
    if (!Holds(offset, kMaxName + 1) && !Load(offset, 1)) return std::nullopt;
    const std::string_view name =
        window_.substr(static_cast<std::size_t>(offset - start_), kMaxName + 1);
    const std::size_t end = name.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    return name.substr(0, end);
  }

 private:
  // The window's length, and the boundary its start keeps to; every range asked for is shorter
  // than the rest of a window begun at that boundary.
  static constexpr std::size_t kWindow = 64 * 1024;
  static constexpr std::uint64_t kAlignment = 4096;

  bool Holds(std::uint64_t offset, std::size_t count) const {
    return offset >= start_ && offset - start_ + count <= window_.size();
  }

  // Moves the window to `offset`; false when the `count` bytes there pass the source's end.
  bool Load(std::uint64_t offset, std::size_t count) {
    start_ = offset - offset % kAlignment;
    window_ = source_.Read(start_, kWindow);
    return Holds(offset, count);
  }

  ByteSource& source_;
  std::uint64_t start_ = 0;
  std::string_view window_;
};

struct Section {
  std::uint32_t address, size, raw_offset, raw_size;
};

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kPe32 = 0x10b, kPe32Plus = 0x20b;
constexpr std::uint32_t kExportDirectory = 0;
constexpr std::uint32_t kImportDirectory = 1;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kManifestType = 24;  // RT_MANIFEST
constexpr std::uint32_t kDescriptorSize = 20;
// No real import table names this many DLLs, nor an export table this many functions; the bounds
// keep a damaged one from running long.
constexpr std::size_t kMaxImports = 4096;
constexpr std::uint32_t kMaxExports = 65536;
// The entry point that makes a DLL a component that registers itself.
constexpr std::string_view kRegisterServer = "DllRegisterServer";

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

// Whether the export directory at `address` names `wanted`; nothing when the directory does not
// hold together.
std::optional<bool> ExportsName(Bytes& file, const std::vector<Section>& sections,
                                std::uint32_t address, std::string_view wanted) {
  std::optional<std::uint64_t> directory = FileOffset(sections, address);
  if (!directory) return std::nullopt;
  std::optional<std::uint32_t> count = file.Read(*directory + 24, 4);
  std::optional<std::uint32_t> names = file.Read(*directory + 32, 4);
  if (!count || !names || *count > kMaxExports) return std::nullopt;
  if (*count == 0) return false;
  std::optional<std::uint64_t> table = FileOffset(sections, *names);
  if (!table) return std::nullopt;
  for (std::uint32_t i = 0; i < *count; ++i) {
    std::optional<std::uint32_t> name = file.Read(*table + 4ull * i, 4);
    std::optional<std::uint64_t> at = name ? FileOffset(sections, *name) : std::nullopt;
    std::optional<std::string_view> text = at ? file.Name(*at) : std::nullopt;
    if (!text) return std::nullopt;
    if (*text == wanted) return true;
  }
  return false;
}

// Whether the root of the resource directory at `address` has a type entry for manifests; nothing
// when the root does not hold together. The types with an ID follow those with a name; every one
// is read and matched by its low 16 bits alone, so that neither an order that breaks the loader's
// sorted search nor a damaged high half hides one: taking too many for manifests costs only a
// question to the loader, too few would lose an assembly.
std::optional<bool> HasManifestType(Bytes& file, const std::vector<Section>& sections,
                                    std::uint32_t address) {
  std::optional<std::uint64_t> root = FileOffset(sections, address);
  if (!root) return std::nullopt;
  std::optional<std::uint32_t> named = file.Read(*root + 12, 2), ids = file.Read(*root + 14, 2);
  if (!named || !ids) return std::nullopt;
  const std::uint64_t first = *root + 16 + 8ull * *named;
  for (std::uint32_t i = 0; i < *ids; ++i) {
    std::optional<std::uint32_t> id = file.Read(first + 8ull * i, 2);
    if (!id) return std::nullopt;
    if (*id == kManifestType) return true;
  }
  return false;
}

}  // namespace

std::optional<PeImage> ReadPeImage(ByteSource& bytes) {
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
  // A directory's address, 0 when the header has no such directory.
  auto directory = [&](std::uint32_t index) -> std::optional<std::uint32_t> {
    if (*directory_count <= index || directories + 8 * (index + 1) > optional + *optional_size)
      return 0;
    return file.Read(directories + 8 * index, 4);
  };
  std::optional<std::uint32_t> exports = directory(kExportDirectory);
  std::optional<std::uint32_t> imports = directory(kImportDirectory);
  if (!exports || !imports) return std::nullopt;
  // Resources are no part of what makes the bytes an image: a resource directory that cannot be
  // read leaves the manifest to the loader, as one that may be there.
  std::optional<std::uint32_t> resources = directory(kResourceDirectory);
  image.manifest = !resources;
  if (*exports == 0 && *imports == 0 && resources.value_or(0) == 0) return image;

  std::vector<Section> sections;
  for (std::uint32_t i = 0; i < *section_count; ++i) {
    std::uint64_t at = optional + *optional_size + 40ull * i;
    std::optional<std::uint32_t> size = file.Read(at + 8, 4), address = file.Read(at + 12, 4),
                                 raw_size = file.Read(at + 16, 4), raw = file.Read(at + 20, 4);
    if (!size || !address || !raw_size || !raw) {
      if (*exports != 0 || *imports != 0) return std::nullopt;
      image.manifest = true;
      return image;
    }
    sections.push_back({*address, *size, *raw, *raw_size});
  }
  if (*exports != 0) {
    std::optional<bool> registers = ExportsName(file, sections, *exports, kRegisterServer);
    if (!registers) return std::nullopt;
    image.self_registering = *registers;
  }
  if (*imports != 0) {
    std::optional<std::uint64_t> descriptor = FileOffset(sections, *imports);
    if (!descriptor) return std::nullopt;
    for (;; *descriptor += kDescriptorSize) {
      std::optional<std::uint32_t> name = file.Read(*descriptor + 12, 4);
      std::optional<std::uint32_t> thunks = file.Read(*descriptor + 16, 4);
      if (!name || !thunks) return std::nullopt;
      if (*name == 0 && *thunks == 0) break;
      std::optional<std::uint64_t> at = FileOffset(sections, *name);
      std::optional<std::string_view> dll = at ? file.Name(*at) : std::nullopt;
      if (!dll || image.imports.size() == kMaxImports) return std::nullopt;
      image.imports.emplace_back(*dll);
    }
  }
  // Read after the import table, which the resources usually follow within the same window.
  if (resources.value_or(0) != 0)
    image.manifest = HasManifestType(file, sections, *resources).value_or(true);
  return image;
}

bool IsTypeLibrary(std::string_view start) {
  // The two formats of type library: the 32-bit one ("MSFT") and the older structured one.
  return start.starts_with("MSFT") || start.starts_with("SLTG");
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

}  // namespace tarn
