// The one set of test doubles for the platform and the main window's controls, and the rig that
// runs a main form over them; the fuzz target drives the same rig.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "form/main_form.h"
#include "services/platform.h"
#include "services/side_by_side.h"

namespace tarn::testing {

using Lines = std::vector<std::string>;

// A failure as a platform call raises it. An empty description stands for an exception without
// one and "(bad_alloc)" for memory running out, which the tool must still describe.
[[noreturn]] inline void Raise(const std::string& description) {
  if (description.empty()) throw std::runtime_error("");
  if (description == "(bad_alloc)") throw std::bad_alloc();
  throw Failure(description);
}

class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::map<std::string, std::string> refuse;          // path -> the failure every access raises
  std::map<std::string, LocalDateTime> times;         // modification times; others get kFileTime
  std::map<std::string, FixedFileInfo> versions;      // files with version information
  std::map<std::string, std::string> refuse_version;  // path -> the version query's failure
  // path -> the length of a file of which only the first bytes are kept; the rest reads as zeros
  std::map<std::string, std::uint64_t> lengths;
  std::map<std::string, std::string> products;  // path -> its version resource's product name
  std::uint64_t bytes_read = 0;                 // by the readers
  static constexpr LocalDateTime kFileTime{2025, 3, 4, 10, 20, 30};

  std::optional<std::uint32_t> Attributes(const std::string& path) override {
    if (folders.count(path)) return kDirectoryAttribute;
    return files.count(path) ? std::optional(32u) : std::nullopt;
  }
  std::uint64_t Length(const std::string& path) override {
    Existing(path);
    return LengthOf(path);
  }
  void Delete(const std::string& path) override {
    Existing(path);
    files.erase(path);
  }
  std::string ReadAll(const std::string& path) override { return Existing(path); }
  void Append(const std::string& path, std::string_view bytes) override {
    Check(path);
    if (folders.count(path)) Raise("Permission denied");
    files[path].append(bytes);
  }
  WriteTime LastWriteTime(const std::string& path) override {
    Existing(path);
    const LocalDateTime time = times.count(path) ? times.at(path) : kFileTime;
    return {time, {time, 0}};
  }
  std::optional<FixedFileInfo> FixedVersionInfo(const std::string& path) override {
    if (refuse_version.count(path)) Raise(refuse_version.at(path));
    return versions.count(path) ? std::optional(versions.at(path)) : std::nullopt;
  }
  // The files and folders directly inside `folder`.
  std::vector<DirectoryEntry> List(const std::string& folder) override {
    Check(folder);
    std::vector<DirectoryEntry> entries;
    const std::string prefix = folder + "\\";
    auto add = [&](const std::string& path, std::uint32_t attributes, std::uint64_t length) {
      if (path.starts_with(prefix) && path.find('\\', prefix.size()) == std::string::npos)
        entries.push_back({path.substr(prefix.size()), attributes, length});
    };
    for (const auto& [path, bytes] : files) add(path, 32, LengthOf(path));
    for (const std::string& path : folders) add(path, kDirectoryAttribute, 0);
    return entries;
  }
  std::unique_ptr<FileReader> NewReader() override { return std::make_unique<Reader>(*this); }
  std::optional<std::string> ProductName(const std::string& path) override {
    return products.count(path) ? std::optional(products.at(path)) : std::nullopt;
  }

 private:
  // Reads of a file's parts, zeros past its stored bytes, each byte counted.
  class Reader final : public FileReader {
   public:
    explicit Reader(FakeFileSystem& files) : files_(files) {}
    void Open(const std::string& path) override {
      files_.Existing(path);
      path_ = path;
    }
    std::string_view Read(std::uint64_t offset, std::size_t count) override {
      const std::string& stored = files_.Existing(path_);
      const std::uint64_t length = files_.LengthOf(path_);
      bytes_.assign(offset < length ? std::min<std::uint64_t>(count, length - offset) : 0, '\0');
      if (offset < stored.size())
        stored.copy(bytes_.data(), std::min<std::size_t>(bytes_.size(), stored.size() - offset),
                    offset);
      files_.bytes_read += bytes_.size();
      return bytes_;
    }

   private:
    FakeFileSystem& files_;
    std::string path_, bytes_;
  };

  std::uint64_t LengthOf(const std::string& path) const {
    return lengths.count(path) ? lengths.at(path) : files.at(path).size();
  }
  void Check(const std::string& path) {
    if (refuse.count(path)) Raise(refuse.at(path));
  }
  std::string& Existing(const std::string& path) {
    Check(path);
    auto it = files.find(path);
    if (it == files.end()) Raise("File not found");
    return it->second;
  }
};

class FakeDesktop final : public Desktop {
 public:
  // The boxes' texts in turn: a box's after "! " for its exclamation icon, a question's after "? ".
  Lines boxes;
  std::vector<bool> answers;  // to the questions in turn, true for OK; then Cancel
  bool clipboard_busy = false;
  std::string exe_folder = "C:\\Tools";

  void MessageBox(std::string_view text, BoxIcon icon) override {
    boxes.push_back((icon == BoxIcon::kExclamation ? "! " : "  ") + std::string(text));
  }
  bool Question(std::string_view text) override {
    boxes.push_back("? " + std::string(text));
    const bool ok = !answers.empty() && answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return ok;
  }
  void ClearClipboard() override {
    if (clipboard_busy) Raise("Cannot open clipboard");
  }
  void PutClipboardText(std::string_view) override {
    if (clipboard_busy) Raise("Cannot open clipboard");
  }
  LocalDateTime Now() override { return {2026, 12, 6, 14, 5, 9}; }
  std::string ShortDate(const LocalDateTime& t) override {
    return std::to_string(t.day) + "/" + std::to_string(t.month) + "/" + std::to_string(t.year);
  }
  std::string LongTime(const LocalDateTime& t) override {
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
  }
  std::string UpperCase(std::string_view text) override {
    std::string upper(text);
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
  }
  std::string ExeFolder() override { return exe_folder; }
};

class FakeShell final : public Shell {
 public:
  std::map<int, std::string> folders;  // CSIDL -> path; others give empty text
  bool broken = false;                 // every special folder fails
  std::vector<std::string> chosen;     // the browser's answers in turn ("(fail)" raises); then ""

  std::string BrowseForFolder(std::string_view, std::string_view, int) override {
    const std::string answer = chosen.empty() ? "" : chosen.front();
    if (!chosen.empty()) chosen.erase(chosen.begin());
    if (answer == "(fail)") Raise("Out of memory");
    return answer;
  }
  std::string SpecialFolder(int csidl) override {
    if (broken) Raise("Out of memory");
    return folders.count(csidl) ? folders.at(csidl) : "";
  }
};

// No class can be created. A component holds a type library only where `automation` names its
// path (with the classes it describes as automation objects), and a programmatic identifier names
// a class only where `class_ids` has it.
class FakeCom final : public Com {
  struct Reader : TypeLibReader {
    explicit Reader(const FakeCom& com) : com(com) {}
    void SetFile(const std::string& path) override {
      if (!com.automation.count(path)) Raise("Error loading type library/DLL.");
      classes = com.automation.at(path);
      this->path = path;
    }
    std::string Guid() override { return {}; }
    std::vector<std::string> AutomationClasses() override { return classes; }
    TypeLibraryAttributes Attributes() override {
      return com.attributes.count(path) ? com.attributes.at(path) : TypeLibraryAttributes{};
    }
    std::vector<std::string> Classes() override {
      return com.coclasses.count(path) ? com.coclasses.at(path) : classes;
    }
    const FakeCom& com;
    std::string path;
    std::vector<std::string> classes;
  };

 public:
  std::map<std::string, std::vector<std::string>> automation;  // a library's path -> classes
  // A library's path -> every class it describes, where more than its automation objects.
  std::map<std::string, std::vector<std::string>> coclasses;
  std::map<std::string, TypeLibraryAttributes> attributes;  // a library's path -> its own
  std::map<std::string, std::string> class_ids;             // ProgID -> class identifier

  std::unique_ptr<TypeLibReader> NewTypeLibReader() override {
    return std::make_unique<Reader>(*this);
  }
  std::unique_ptr<ComObject> CreateObject(const std::string&) override {
    Raise("ActiveX component can't create object");
  }
  std::string ClassOf(const std::string& prog_id) override {
    return class_ids.count(prog_id) ? class_ids.at(prog_id) : std::string();
  }
};

class FakeClassRegistry final : public ClassRegistry {
 public:
  std::vector<RegisteredClass> classes;
  std::vector<RegisteredClass> Classes(
      const std::function<bool(const std::string&)>& wanted) override {
    std::vector<RegisteredClass> taken;
    for (const RegisteredClass& c : classes)
      if ((!c.in_process_server.empty() && wanted(c.in_process_server)) ||
          (!c.local_server.empty() && wanted(c.local_server)))
        taken.push_back(c);
    return taken;
  }
};

// Paths name the file `files` gives them; a path not there cannot be opened.
class FakePathIdentity final : public PathIdentity {
 public:
  std::map<std::string, std::string> files;  // path -> the file it opens
  bool SameFile(const std::string& path, const std::string& other) override {
    return files.count(path) && files.count(other) && files.at(path) == files.at(other);
  }
};

// The file registered for a library (by all its attributes) for the programs of a machine.
class FakeTypeLibRegistry final : public TypeLibRegistry {
 public:
  std::vector<std::tuple<TypeLibraryAttributes, std::uint16_t, std::string>> registered;
  std::string RegisteredFile(const TypeLibraryAttributes& library, std::uint16_t machine) override {
    for (const auto& [known, for_machine, file] : registered)
      if (known == library && for_machine == machine) return file;
    return {};
  }
};

// A 64-bit Windows with both halves, its folders where Windows puts them; this process is the
// 64-bit build unless `process_machine` says otherwise.
class FakeLoaderFacts final : public LoaderFacts {
 public:
  std::uint16_t process_machine = 0x8664;
  std::vector<std::string> known_dlls, path;
  std::set<std::string> protected_files;  // Windows Resource Protection's
  std::map<std::string, std::string> environment{
      {"ProgramW6432", "C:\\Program Files"},
      {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
      {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
      {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"}};

  std::uint16_t ProcessMachine() override { return process_machine; }
  std::uint16_t WindowsMachine() override { return 0x8664; }
  std::string SystemFolder() override { return "C:\\Windows\\system32"; }
  std::string Wow64SystemFolder() override { return "C:\\Windows\\SysWOW64"; }
  std::string WindowsFolder() override { return "C:\\Windows"; }
  std::vector<std::string> KnownDlls() override { return known_dlls; }
  std::string CurrentFolder() override { return "C:\\Tools"; }
  std::vector<std::string> PathFolders() override { return path; }
  std::optional<std::string> Environment(const std::string& name) override {
    return environment.count(name) ? std::optional(environment.at(name)) : std::nullopt;
  }
  bool ProtectedByWindows(const std::string& file) override {
    return protected_files.count(file) > 0;
  }
};

// The side-by-side assemblies of each image by its path; an image's served imports are those it
// imports.
class FakeAssemblies final : public Assemblies {
 public:
  std::map<std::string, ImageAssemblies> images;
  ImageAssemblies Resolve(const std::string& path,
                          const std::vector<std::string>& imports) override {
    auto found = images.find(path);
    if (found == images.end()) return {};
    ImageAssemblies assemblies = found->second;
    std::erase_if(assemblies.served, [&](const AssemblyDll& served) {
      return std::find(imports.begin(), imports.end(), served.dll) == imports.end();
    });
    return assemblies;
  }
};

class FakeProcesses final : public Processes {
 public:
  Lines command_lines;                     // every command line run, in order
  std::map<std::string, ProgramEnd> ends;  // command line -> its end; others end with 0

  ProgramEnd RunAndWait(const std::string& command_line) override {
    command_lines.push_back(command_line);
    return ends.count(command_line) ? ends.at(command_line) : ProgramEnd{};
  }
};

class FakeItems final : public ItemList {
 public:
  Lines lines;
  std::optional<int> claimed_count;  // a list that shrinks under the run claims more than it has

  void Clear() override { lines.clear(); }
  void AddAll(const Lines& more) override { lines.insert(lines.end(), more.begin(), more.end()); }
  int Count() override { return claimed_count.value_or(static_cast<int>(lines.size())); }
  std::string At(int position) override {
    if (position < 0 || position >= static_cast<int>(lines.size()))
      Raise("Invalid property array index");
    return lines[static_cast<std::size_t>(position)];
  }
};

class FakePane final : public LogPane {
 public:
  std::string text;
  std::optional<std::string> failure;  // what every append raises

  void Append(std::string_view more) override {
    if (failure) Raise(*failure);
    text.append(more);
  }
  std::string Text() override { return text; }
  std::string SelectedText() override { return {}; }
  void Clear() override { text.clear(); }
};

class FakeView final : public MainView {
 public:
  FakeItems items;
  FakePane pane;

  ItemList& Items() override { return items; }
  LogPane& Log() override { return pane; }
  void EnableGetInfo(bool) override {}
  std::string FileDialog(std::string_view, std::string_view) override { return {}; }
  bool CloseRequested() override { return false; }
};

inline constexpr std::uint16_t kX64 = 0x8664, kX86 = 0x014c;

// Where the optional header's directories begin: a 32-bit image's header is shorter.
inline std::size_t Directories(std::uint16_t machine) {
  return 0x58 + (machine == kX86 ? 96 : 112);
}

// The smallest image the PE reader takes: headers with no section and no directory in use.
inline std::string EmptyImage(std::uint16_t machine = kX64) {
  std::string bytes(0x40 + 4 + 20 + 0xf0, '\0');
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  put(0, 0x5a4d, 2);                              // MZ
  put(0x3c, 0x40, 4);                             // where the PE header begins
  put(0x40, 0x4550, 4);                           // PE
  put(0x44, machine, 2);                          // the machine
  put(0x44 + 16, 0xf0, 2);                        // the optional header's size
  put(0x58, machine == kX86 ? 0x10b : 0x20b, 2);  // PE32 or PE32+
  put(Directories(machine) - 4, 16, 4);           // directories
  return bytes;
}

// A main form over the fakes, telling its findings to `findings`.
struct Rig {
  explicit Rig(Findings& findings = NoFindings())
      : form({files, desktop, shell, com, processes}, view, findings) {}
  FakeFileSystem files;
  FakeDesktop desktop;
  FakeShell shell;
  FakeCom com;
  FakeProcesses processes;
  FakeView view;
  MainForm form;

  std::string LogPath() const { return desktop.exe_folder + "\\Tarn Application Information.log"; }

  // The pane's lines, its report header (a rule, the date line of the fake clock, a rule) as one
  // "(header)"; every line must end with CR LF, so a rest without one is marked.
  Lines PaneLines() const {
    const std::string rule(80, '=');
    const std::string header = rule + "\r\nDate/Time:  6/12/2026 14:5:9\r\n" + rule + "\r\n";
    std::string rest = view.pane.text;
    if (rest.compare(0, header.size(), header) == 0) rest.replace(0, header.size(), "(header)\r\n");
    Lines lines;
    for (std::size_t end; (end = rest.find("\r\n")) != std::string::npos; rest.erase(0, end + 2))
      lines.push_back(rest.substr(0, end));
    if (!rest.empty()) lines.push_back("(no line end) " + rest);
    return lines;
  }
};

}  // namespace tarn::testing
