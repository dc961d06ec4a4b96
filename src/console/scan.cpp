#include "console/scan.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "form/main_form.h"
#include "script/variables.h"
#include "services/ascii_case.h"
#include "services/paths.h"
#include "services/special_folders.h"
#include "services/texts.h"

namespace tarn::console {
namespace {

// Enough of a file to tell an image or a type library by its header; an image is then read whole,
// as its export and import tables may lie anywhere in it.
constexpr std::size_t kStartBytes = 4096;

// `path` lies below `folder`.
bool Inside(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() && path[folder.size()] == '\\' &&
         EqualNoCase(path.substr(0, folder.size()), folder);
}

struct Image {
  std::string relative;  // the path below the scanned folder
  bool self_registering = false;
  std::vector<std::string> imports;
};

// A file that cannot be read is no image the scan can describe. `bytes` is the memory that every
// file is read into.
std::optional<Image> ReadImage(FileSystem& files, const std::string& path, std::string& bytes) {
  try {
    files.ReadStart(
        path, kStartBytes, [](std::string_view start) { return start.starts_with("MZ"); }, bytes);
    if (IsTypeLibrary(bytes)) return Image{};
    std::optional<PeImage> pe = ReadPeImage(bytes);
    if (!pe) return std::nullopt;
    return Image{{}, pe->self_registering, std::move(pe->imports)};
  } catch (const Failure&) {
    return std::nullopt;
  }
}

// Every image and type library below `folder`, whatever its name, sorted by path without regard
// to case. Folders that are reparse points are left alone: a link back up would never end.
std::vector<Image> FindImages(FileSystem& files, const std::string& folder) {
  std::vector<std::pair<std::string, Image>> found;
  std::vector<std::string> pending{""};
  std::string bytes;
  while (!pending.empty()) {
    const std::string relative = std::move(pending.back());
    pending.pop_back();
    for (const DirectoryEntry& entry : files.List(CombinePath(folder, relative))) {
      std::string path = CombinePath(relative, entry.name);
      if (entry.attributes & kDirectoryAttribute) {
        if (!(entry.attributes & kReparsePointAttribute)) pending.push_back(std::move(path));
        continue;
      }
      if (std::optional<Image> image = ReadImage(files, CombinePath(folder, path), bytes)) {
        image->relative = std::move(path);
        found.emplace_back(AsciiLower(image->relative), std::move(*image));
      }
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Image> images;
  images.reserve(found.size());
  for (auto& [key, image] : found) images.push_back(std::move(image));
  return images;
}

// The product name of the largest .exe at the folder's top level, else the folder's name.
std::string AppName(FileSystem& files, const std::string& folder) {
  std::optional<DirectoryEntry> largest;
  for (DirectoryEntry& entry : files.List(folder)) {
    const bool exe =
        !(entry.attributes & kDirectoryAttribute) && entry.name.size() > 4 &&
        EqualNoCase(std::string_view(entry.name).substr(entry.name.size() - 4), ".exe");
    if (exe &&
        (!largest || entry.length > largest->length ||
         (entry.length == largest->length && AsciiLower(entry.name) < AsciiLower(largest->name)))) {
      largest = std::move(entry);
    }
  }
  if (largest) {
    std::optional<std::string> product = files.ProductName(CombinePath(folder, largest->name));
    if (product && !product->empty()) return *product;
  }
  return folder.substr(folder.rfind('\\') + 1);
}

// Whether a version resource's product is the operating system: Windows' own DLLs say so with
// registered marks that code pages write differently, and under Wine its own DLLs, which stand
// in for Windows', say "Wine". Marks and case are left out of the comparison.
bool NamesTheSystem(const std::optional<std::string>& product) {
  if (!product) return false;
  std::string plain;
  for (const char c : *product) {
    if (static_cast<unsigned char>(c) >= 0x80) continue;
    if (c == ' ' && (plain.empty() || plain.back() == ' ')) continue;
    plain += AsciiLower(c);
  }
  if (!plain.empty() && plain.back() == ' ') plain.pop_back();
  return plain == text::kWindowsProduct || plain == text::kWineProduct;
}

// The DLLs that the images import which the loader takes from outside the folder and which are
// not Windows' own, sorted by path. The search begins in each image's own folder, so it is asked
// once for each folder and name.
std::vector<std::string> Runtimes(ScanMachine& machine, const std::string& folder,
                                  const std::vector<Image>& images) {
  std::map<std::string, std::string> outside;  // by the path in lower case
  std::set<std::string> asked;
  for (const Image& image : images) {
    const std::string own = GetFilePathOnly(CombinePath(folder, image.relative));
    for (const std::string& dll : image.imports) {
      if (!asked.insert(AsciiLower(own + '\\' + dll)).second) continue;
      FoundImport where = FindImport(machine.files, own, dll, machine.search);
      if (!where.path.empty() && !Inside(where.path, folder))
        outside.emplace(AsciiLower(where.path), std::move(where.path));
    }
  }
  std::vector<std::string> runtimes;
  for (auto& [key, path] : outside)
    if (!NamesTheSystem(machine.files.ProductName(path))) runtimes.push_back(std::move(path));
  return runtimes;
}

// The programmatic identifiers of the classes whose server lies in the folder, sorted, each once.
std::vector<std::string> ObjectsServedFrom(ScanMachine& machine, const std::string& folder) {
  std::set<std::string> prog_ids;
  auto inside = [&](const std::string& value) {
    std::string_view start = value;
    if (start.starts_with('"')) start.remove_prefix(1);
    // Only a value that begins with the folder can name a file in it: the others are not looked
    // up on the disk.
    return Inside(start, folder) && Inside(ServerFile(machine.files, value), folder);
  };
  for (const RegisteredClass& registered : machine.classes.Classes(inside))
    prog_ids.insert(registered.prog_ids.begin(), registered.prog_ids.end());
  return {prog_ids.begin(), prog_ids.end()};
}

// A path written with the first of the info file's folder variables that holds it, each found
// as the runner finds it; the common files lie inside the program files, so they come first.
class FolderVariables {
 public:
  FolderVariables(Shell& shell, Reporter& reporter) {
    folders_ = {{text::kVariableCommonFilesFolder, GetCommonFilesFolder(shell, reporter)},
                {text::kVariableProgramFiles, GetProgramFilesFolder(shell, reporter)},
                {text::kVariableSystemFolder, GetSystemFolder(shell, reporter)}};
  }

  std::string Write(const std::string& path) const {
    for (const auto& [name, folder] : folders_) {
      if (folder.empty()) continue;
      if (EqualNoCase(path, folder)) return MakeVariableToken(name);
      if (Inside(path, folder)) return MakeVariableToken(name) + path.substr(folder.size());
    }
    return path;
  }

 private:
  std::vector<std::pair<std::string_view, std::string>> folders_;
};

}  // namespace

ScannedInfoFile ScanFolder(ScanMachine& machine, const std::string& folder) {
  const std::vector<Image> images = FindImages(machine.files, folder);
  const std::vector<std::string> runtimes = Runtimes(machine, folder, images);
  const std::vector<std::string> objects = ObjectsServedFrom(machine, folder);
  const FolderVariables variables(machine.shell, machine.reporter);

  ScannedInfoFile scanned;
  auto line = [&](std::string_view key, std::string_view value) {
    scanned.text.append(key).append(value).append("\r\n");
  };
  auto item = [&](std::string_view type, std::string_view value) {
    scanned.text.append(type).append("=").append(value).append("\r\n");
  };
  line(text::kScanComment, folder + std::string(text::kScanCommentDate) +
                               GeneralDate(machine.desktop, machine.desktop.Now()));
  item(text::kTypeAppName, AppName(machine.files, folder));
  item(text::kTypeInstallFolder, variables.Write(folder));

  // The images give way when the lines do not fit, and one more line says how many.
  constexpr std::size_t kLimit = kMaxItemLines;
  const std::size_t others = 3 + runtimes.size() + objects.size();
  std::size_t kept = images.size();
  if (others + images.size() > kLimit) {
    kept = kLimit - 1 - std::min(others, kLimit - 1);
    scanned.left_out = images.size() - kept;
  }
  const std::string install = MakeVariableToken(text::kVariableInstallFolder) + "\\";
  for (std::size_t i = 0; i < kept; ++i) {
    item(images[i].self_registering ? text::kTypeActiveXComponent : text::kTypeFile,
         install + images[i].relative);
  }
  for (const std::string& runtime : runtimes) item(text::kTypeFile, variables.Write(runtime));
  for (const std::string& prog_id : objects) item(text::kTypeInstantiateObject, prog_id);
  if (scanned.left_out > 0)
    line(text::kScanLeftOutComment,
         std::to_string(scanned.left_out) + std::string(text::kScanLeftOut));
  return scanned;
}

}  // namespace tarn::console
