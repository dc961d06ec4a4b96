#include "console/scan.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "console/scan_assemblies.h"
#include "form/main_form.h"
#include "script/variables.h"
#include "services/ascii_case.h"
#include "services/paths.h"
#include "services/pe_image.h"
#include "services/special_folders.h"
#include "services/texts.h"

namespace tarn::console {
namespace {

struct Image {
  std::string relative;       // the path below the scanned folder
  std::uint16_t machine = 0;  // none for a type library
  bool self_registering = false;
  bool type_library = false;  // a type library as a file of its own
  bool manifest = false;      // as PeImage::manifest says
  std::vector<std::string> imports;
};

// The file open in `reader` as an image or a type library; nothing when it is neither. Throws
// when it cannot be read. Its first bytes tell most files that are neither without more reads.
std::optional<Image> ReadImage(FileReader& reader) {
  const std::string_view start = reader.Read(0, 4);
  if (IsTypeLibrary(start)) return Image{{}, 0, false, true, false, {}};
  if (!start.starts_with("MZ")) return std::nullopt;
  std::optional<PeImage> pe = ReadPeImage(reader);
  if (!pe) return std::nullopt;
  return Image{{}, pe->machine, pe->self_registering, false, pe->manifest, std::move(pe->imports)};
}

struct Found {
  std::vector<Image> images;
  std::vector<Unread> unread;
};

// Every image and type library below `folder`, whatever its name, and every file and folder that
// could not be read, each sorted by path without regard to case. Folders that are
// reparse points are left alone: a link back up would never end.
Found FindImages(FileSystem& files, const std::string& folder) {
  std::vector<std::pair<std::string, Image>> found;
  std::vector<Unread> unread;
  std::vector<std::string> pending{""};
  const std::unique_ptr<FileReader> reader = files.NewReader();
  while (!pending.empty()) {
    const std::string relative = std::move(pending.back());
    pending.pop_back();
    std::vector<DirectoryEntry> entries;
    try {
      entries = files.List(CombinePath(folder, relative));
    } catch (const Failure& failure) {
      unread.push_back({relative, failure.what()});
    }
    for (const DirectoryEntry& entry : entries) {
      std::string path = CombinePath(relative, entry.name);
      if (entry.attributes & kDirectoryAttribute) {
        if (!(entry.attributes & kReparsePointAttribute)) pending.push_back(std::move(path));
        continue;
      }
      try {
        reader->Open(CombinePath(folder, path));
        if (std::optional<Image> image = ReadImage(*reader)) {
          image->relative = std::move(path);
          found.emplace_back(AsciiLower(image->relative), std::move(*image));
        }
      } catch (const Failure& failure) {
        unread.push_back({std::move(path), failure.what()});
      }
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(unread.begin(), unread.end(), [](const Unread& a, const Unread& b) {
    return AsciiLower(a.path) < AsciiLower(b.path);
  });
  Found result;
  result.images.reserve(found.size());
  for (auto& [key, image] : found) result.images.push_back(std::move(image));
  result.unread = std::move(unread);
  return result;
}

// The product name of the largest .exe at the folder's top level, else the folder's name.
// A folder that cannot be listed is named by the scan of the images.
std::string AppName(FileSystem& files, const std::string& folder) {
  std::optional<DirectoryEntry> largest;
  std::vector<DirectoryEntry> entries;
  try {
    entries = files.List(folder);
  } catch (const Failure&) {
  }
  for (DirectoryEntry& entry : entries) {
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

// Under Wine, whose Windows Resource Protection protects nothing, its own DLLs stand in for
// Windows' and say so in their product name, which no other language writes differently. Marks
// and case are left out of the comparison.
bool NamesWine(const std::optional<std::string>& product) {
  if (!product) return false;
  std::string plain;
  for (const char c : *product) {
    if (static_cast<unsigned char>(c) >= 0x80) continue;
    if (c == ' ' && (plain.empty() || plain.back() == ' ')) continue;
    plain += AsciiLower(c);
  }
  if (!plain.empty() && plain.back() == ' ') plain.pop_back();
  return plain == text::kWineProduct;
}

// The DLLs that the images import which the loader of each image's machine takes from outside
// the folder and which are not Windows' own, sorted by path: Windows' own by what Windows
// Resource Protection says, never by a product name, which each language of Windows writes its
// own way. The search begins in each image's own folder, so it is asked once for each machine,
// folder and name; `served` holds the imports that a side-by-side assembly serves (as
// folder\name in lower case), which the search never reaches.
std::vector<std::string> Runtimes(ScanSources& sources, const std::string& folder,
                                  const std::vector<Image>& images,
                                  const std::set<std::string>& served) {
  std::map<std::string, std::string> outside;  // by the path in lower case
  std::set<std::string> asked;
  std::map<std::uint16_t, DllSearch> searches;
  for (const Image& image : images) {
    if (image.imports.empty()) continue;
    auto search = searches.find(image.machine);
    if (search == searches.end())
      search = searches.emplace(image.machine, sources.loader.SearchFor(image.machine)).first;
    const std::string own = GetFilePathOnly(CombinePath(folder, image.relative));
    const std::string key = std::to_string(image.machine) + ':' + AsciiLower(own) + '\\';
    for (const std::string& dll : image.imports) {
      if (served.contains(AsciiLower(own + '\\' + dll)) ||
          !asked.insert(key + AsciiLower(dll)).second)
        continue;
      FoundImport where = FindImport(sources.files, own, dll, search->second);
      if (!where.path.empty() && !IsBelow(where.path, folder))
        outside.emplace(AsciiLower(where.path), std::move(where.path));
    }
  }
  std::vector<std::string> runtimes;
  for (auto& [key, path] : outside) {
    if (!sources.loader.ProtectedByWindows(path) && !NamesWine(sources.files.ProductName(path)))
      runtimes.push_back(std::move(path));
  }
  return runtimes;
}

// A programmatic identifier of a class served from the folder, and why the object check would
// not create its object on this PC; empty text when it would.
struct ServedObject {
  std::string prog_id;
  std::string not_created;
};

// The classes that the folder's type information describes as automation objects, read from
// the classes' server files and the folder's type library files, each file once; a file without
// a type library describes none.
std::set<std::string> AutomationClasses(ScanSources& sources, const std::set<std::string>& files) {
  std::set<std::string> classes;
  for (const std::string& file : files) {
    try {
      const std::unique_ptr<TypeLibReader> reader = sources.com.NewTypeLibReader();
      if (!reader) break;
      reader->SetFile(file);
      for (const std::string& id : reader->AutomationClasses()) classes.insert(AsciiLower(id));
    } catch (const Failure&) {
    }
  }
  return classes;
}

// The programmatic identifiers of the classes whose server lies in the folder, sorted, each once,
// each with the reason why the object check, which creates the object for IDispatch, cannot
// create it here. An in-process server serves only the registry view of this process; COM starts
// a local server of either view for a client of either bitness. A scan runs no component's code:
// what the object is comes from type information alone.
// `servers` receives the files of the folder that serve a class, their full paths in lower case.
std::vector<ServedObject> ObjectsServedFrom(ScanSources& sources, const std::string& folder,
                                            const std::vector<Image>& images,
                                            std::set<std::string>& servers) {
  auto inside = [&](const std::string& value) {
    std::string_view start = value;
    if (start.starts_with('"')) start.remove_prefix(1);
    // Only a value that begins with the folder can name a file in it: the others are not looked
    // up on the disk.
    return !value.empty() && IsBelow(start, folder) &&
           IsBelow(ServerFile(sources.files, value), folder);
  };
  std::map<std::string, std::vector<const RegisteredClass*>> by_prog_id;
  const std::vector<RegisteredClass> classes = sources.classes.Classes(inside);
  std::set<std::string> libraries;
  for (const Image& image : images)
    if (image.type_library) libraries.insert(CombinePath(folder, image.relative));
  for (const RegisteredClass& registered : classes) {
    for (const std::string& prog_id : registered.prog_ids)
      by_prog_id[prog_id].push_back(&registered);
    for (const std::string* server : {&registered.in_process_server, &registered.local_server}) {
      if (!inside(*server)) continue;
      const std::string file = ServerFile(sources.files, *server);
      servers.insert(AsciiLower(file));
      libraries.insert(file);
    }
  }
  std::optional<std::set<std::string>> automation;
  std::vector<ServedObject> objects;
  for (const auto& [prog_id, named_by] : by_prog_id) {
    std::vector<const RegisteredClass*> served;
    for (const RegisteredClass* registered : named_by)
      if ((registered->own_view && inside(registered->in_process_server)) ||
          inside(registered->local_server))
        served.push_back(registered);
    ServedObject object{prog_id, {}};
    const std::string id = served.empty() ? std::string() : sources.com.ClassOf(prog_id);
    const bool named = std::any_of(served.begin(), served.end(), [&](const RegisteredClass* c) {
      return EqualNoCase(c->id, id);
    });
    if (served.empty()) {
      object.not_created = std::string(text::kScanServedOnlyIn) +
                           std::to_string(named_by.front()->view_bits) +
                           std::string(text::kScanServedOnlyInView);
    } else if (!named) {
      object.not_created =
          id.empty() ? text::kScanProgIdNamesNoClass : text::kScanProgIdNamesAnotherClass;
    } else {
      if (!automation) automation = AutomationClasses(sources, libraries);
      if (!automation->count(AsciiLower(id))) object.not_created = text::kScanNoAutomationType;
    }
    objects.push_back(std::move(object));
  }
  return objects;
}

// Why a component that registers itself is no ActiveXComponent of the info file: a read-only
// run fails one whose classes are not registered to it here. Empty text when it is one. Its type
// library is read only when a class of the registry names it as its server: no other can pass.
std::string NotAComponent(ScanSources& sources, const std::string& path,
                          const std::set<std::string>& servers) {
  if (!sources.audit) return {};
  if (!servers.count(AsciiLower(path))) return std::string(text::kScanNoClassRegistered);
  const std::optional<RegistrationAudit> audit = sources.audit(path);
  if (!audit) return {};
  for (const PlacedClass& placed : audit->classes)
    if (placed.placement != Placement::kHere) return " (" + NotHere(placed) + ")";
  return {};
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
      if (IsBelow(path, folder)) return MakeVariableToken(name) + path.substr(folder.size());
    }
    return path;
  }

 private:
  std::vector<std::pair<std::string_view, std::string>> folders_;
};

}  // namespace

ScannedInfoFile ScanFolder(ScanSources& sources, const std::string& folder) {
  Found found = FindImages(sources.files, folder);
  const std::vector<Image>& images = found.images;
  AssemblyScan assemblies(sources.assemblies, folder);
  // Only an image with a manifest can have assemblies, and asking costs a load of the image.
  for (const Image& image : images)
    if (image.manifest) assemblies.Add(image.relative, image.imports);
  const std::vector<std::string> runtimes = Runtimes(sources, folder, images, assemblies.Served());
  std::set<std::string> servers;
  const std::vector<ServedObject> objects = ObjectsServedFrom(sources, folder, images, servers);
  std::vector<std::string> not_components(images.size());
  std::size_t demoted = 0;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (!images[i].self_registering) continue;
    not_components[i] = NotAComponent(sources, CombinePath(folder, images[i].relative), servers);
    if (!not_components[i].empty()) ++demoted;
  }
  const FolderVariables variables(sources.shell, sources.reporter);
  const std::vector<std::string> assembly_lines =
      assemblies.Lines([&](const std::string& path) { return variables.Write(path); });

  ScannedInfoFile scanned;
  auto line = [&](std::string_view key, std::string_view value) {
    scanned.text.append(key).append(value).append("\r\n");
  };
  auto item = [&](std::string_view type, std::string_view value) {
    scanned.text.append(type).append("=").append(value).append("\r\n");
  };
  line(text::kScanComment, folder + std::string(text::kScanCommentDate) +
                               GeneralDate(sources.desktop, sources.desktop.Now()));
  item(text::kTypeAppName, AppName(sources.files, folder));
  item(text::kTypeInstallFolder, variables.Write(folder));

  // The images give way when the lines do not fit, and one more line says how many; when even
  // the names of the files not read do not fit, they give way too, as their count is kept.
  constexpr std::size_t kLimit = kMaxItemLines;
  const std::size_t fixed = 3 + runtimes.size() + assembly_lines.size() + objects.size() + demoted +
                            (found.unread.empty() ? 0 : 1);
  std::size_t named = found.unread.size(), kept = images.size();
  if (fixed + named + kept > kLimit) {
    const std::size_t room = kLimit - 1 - std::min(fixed, kLimit - 1);
    named = std::min(named, room);
    kept = room - named;
    scanned.left_out = images.size() - kept;
  }
  const std::string install = MakeVariableToken(text::kVariableInstallFolder);
  auto below = [&](const std::string& relative) {
    return relative.empty() ? install : install + "\\" + relative;
  };
  for (std::size_t i = 0; i < kept; ++i) {
    const bool component = images[i].self_registering && not_components[i].empty();
    item(component ? text::kTypeActiveXComponent : text::kTypeFile, below(images[i].relative));
  }
  for (const std::string& runtime : runtimes) item(text::kTypeFile, variables.Write(runtime));
  for (const std::string& assembly_line : assembly_lines) line(assembly_line, "");
  // The objects the check creates here, then those it would not, each with the reason.
  for (const ServedObject& object : objects)
    if (object.not_created.empty()) item(text::kTypeInstantiateObject, object.prog_id);
  for (const ServedObject& object : objects)
    if (!object.not_created.empty())
      line(text::kScanNotObjectComment, object.prog_id + object.not_created);
  for (std::size_t i = 0; i < kept; ++i)
    if (!not_components[i].empty())
      line(text::kScanNotComponentComment, below(images[i].relative) + not_components[i]);
  for (std::size_t i = 0; i < named; ++i) {
    line(text::kScanNotReadComment, below(found.unread[i].path) +
                                        std::string(text::kScanNotReadReason) +
                                        found.unread[i].reason);
  }
  if (scanned.left_out > 0)
    line(text::kScanLeftOutComment,
         std::to_string(scanned.left_out) + std::string(text::kScanLeftOut));
  if (!found.unread.empty())
    line(text::kScanNotReadCountComment, std::to_string(found.unread.size()));
  for (Unread& unread : found.unread) {
    unread.path = unread.path.empty() ? folder : CombinePath(folder, unread.path);
    scanned.unread.push_back(std::move(unread));
  }
  return scanned;
}

}  // namespace tarn::console
