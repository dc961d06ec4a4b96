// What the tool asks of the machine it runs on. The core reaches the platform only through these
// interfaces; the Windows implementations live in services/win32, test doubles in tests/.
// Operations that can fail throw a Failure carrying the failure's description.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/byte_source.h"
#include "services/failure.h"

namespace tarn {

inline constexpr std::uint32_t kDirectoryAttribute = 16;
inline constexpr std::uint32_t kReparsePointAttribute = 1024;
inline constexpr int kNoRoot = -1;  // a folder browser not limited to a special folder

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  bool IsMidnight() const { return hour == 0 && minute == 0 && second == 0; }
};

// A moment as the local time of its own date, with that date's offset from UTC (minutes east,
// daylight saving included).
struct ZonedDateTime {
  LocalDateTime local;
  int utc_offset_minutes = 0;
};

// When a file was last written. The window's report shows it with today's offset from UTC, as
// Windows' FileTimeToLocalFileTime gives it, whatever the offset on the file's own date was.
struct WriteTime {
  LocalDateTime shown;
  ZonedDateTime zoned;
};

// A file's fixed file-information record: thirteen words in the order of VS_FIXEDFILEINFO
// (signature, structure version, file version high, file version low, product version high and
// low, flags mask, flags, operating system, type, subtype, date high, date low).
using FixedFileInfo = std::array<std::uint32_t, 13>;
inline constexpr std::size_t kFileVersionHigh = 2;
inline constexpr std::size_t kFileVersionLow = 3;

// One entry of a folder: a file or a folder inside it.
struct DirectoryEntry {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint64_t length = 0;
};

// One file at a time, open for reads of its parts: a scan of thousands of files opens each once
// and reads them all into the same memory.
class FileReader : public ByteSource {
 public:
  virtual ~FileReader() = default;
  // Opens the file at `path` for reading, sharing it with readers and writers, after closing the
  // one open before; throws when it cannot be opened.
  virtual void Open(const std::string& path) = 0;
};

class FileSystem {
 public:
  // The attribute word of a path, or nothing when the query fails for any reason.
  virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
  virtual std::uint64_t Length(const std::string& path) = 0;
  virtual void Delete(const std::string& path) = 0;
  virtual std::string ReadAll(const std::string& path) = 0;
  // Creates the file when missing and writes at its end.
  virtual void Append(const std::string& path, std::string_view bytes) = 0;
  virtual WriteTime LastWriteTime(const std::string& path) = 0;
  // The fixed record of a file's version resource, read into a zeroed record that the copy never
  // writes past; nothing when the file has no version information (missing, unreadable, none).
  virtual std::optional<FixedFileInfo> FixedVersionInfo(const std::string& path) = 0;
  // The entries of a folder, without "." and ".."; throws when it cannot be listed.
  virtual std::vector<DirectoryEntry> List(const std::string& folder) = 0;
  // A reader with no file open yet.
  virtual std::unique_ptr<FileReader> NewReader() = 0;
  // The product name of a file's version resource, in its first language; nothing when there is
  // none.
  virtual std::optional<std::string> ProductName(const std::string& path) = 0;

 protected:
  ~FileSystem() = default;
};

// The desktop the tool runs on: its user, locale, clipboard and own executable.
class Desktop {
 public:
  // A modal box with only an OK button, captioned with the application's title.
  virtual void MessageBox(std::string_view text, BoxIcon icon) = 0;
  // A modal question with the information icon, OK and Cancel, captioned with the application's
  // title: true for OK; Cancel and the close box give false.
  virtual bool Question(std::string_view text) = 0;
  virtual void ClearClipboard() = 0;
  virtual void PutClipboardText(std::string_view text) = 0;
  virtual LocalDateTime Now() = 0;
  virtual std::string ShortDate(const LocalDateTime& when) = 0;
  virtual std::string LongTime(const LocalDateTime& when) = 0;
  // Upper case by the rules of the system's code page.
  virtual std::string UpperCase(std::string_view text) = 0;
  virtual std::string ExeFolder() = 0;

 protected:
  ~Desktop() = default;
};

// The shell of the desktop.
class Shell {
 public:
  // The file-system path of a special folder (a CSIDL), exactly as the shell writes it; empty
  // text when the shell gives none, for whatever reason.
  virtual std::string SpecialFolder(int csidl) = 0;
  // The shell's modal folder browser, offering only file-system folders under the special folder
  // `root` (kNoRoot: the whole namespace), `title` above the tree, `start_folder` preselected
  // when not empty. The chosen folder's path ending in one backslash, or empty text on Cancel.
  virtual std::string BrowseForFolder(std::string_view start_folder, std::string_view title,
                                      int root) = 0;

 protected:
  ~Shell() = default;
};

// How a program that RunAndWait ran came to its end.
struct ProgramEnd {
  enum class Kind {
    kExited,      // it ended by itself; `exit_code` is what the system reports
    kNotStarted,  // the command line started no program at all
    kTimedOut,    // it outlived the caller's time limit and was ended
    kNoExitCode,  // it ended, but its exit code could not be read
  };
  Kind kind = Kind::kExited;
  std::int32_t exit_code = 0;  // read as signed; only meant with kExited
  // The program as it was started, by its full path; empty where the system's search chose it.
  std::string program;

  // Exit code 0 is the only success: a code that could not be read is none.
  bool Succeeded() const { return kind == Kind::kExited && exit_code == 0; }
};

// Other programs, run to their end.
class Processes {
 public:
  // Starts the command line (its first word is the program) and waits until it has ended, the
  // window answering meanwhile.
  virtual ProgramEnd RunAndWait(const std::string& command_line) = 0;

 protected:
  ~Processes() = default;
};

// The platform a type library was made for (its SYSKIND), which names the key of its registration.
enum class TypeLibrarySystem { kWin16 = 0, kWin32 = 1, kMac = 2, kWin64 = 3 };

// What a type library says of itself: what its registration is filed under.
struct TypeLibraryAttributes {
  std::string guid;  // in braces, upper case
  std::uint16_t major = 0, minor = 0;
  std::uint32_t lcid = 0;
  TypeLibrarySystem system = TypeLibrarySystem::kWin32;
  bool operator==(const TypeLibraryAttributes&) const = default;
};

// Reads the type library inside a component file. Held for one call only.
class TypeLibReader {
 public:
  virtual ~TypeLibReader() = default;
  // Loads the library inside the file without registering anything or running the file's code.
  virtual void SetFile(const std::string& path) = 0;
  // The loaded library's GUID as text in braces, upper case.
  virtual std::string Guid() = 0;
  // The classes the loaded library describes as automation objects: those whose default
  // interface (not a source of events) is a dispinterface or a dual interface. Their identifiers
  // as Guid writes them.
  virtual std::vector<std::string> AutomationClasses() = 0;
  // The loaded library's own attributes.
  virtual TypeLibraryAttributes Attributes() = 0;
  // Every class the loaded library describes, automation object or not, as Guid writes them.
  virtual std::vector<std::string> Classes() = 0;
};

// A COM object the tool holds; released when destroyed. No property or method of it is used.
class ComObject {
 public:
  virtual ~ComObject() = default;
};

// COM, on the window's thread.
class Com {
 public:
  // A new reader, or nothing when none can be created.
  virtual std::unique_ptr<TypeLibReader> NewTypeLibReader() = 0;
  // An automation object of the class the programmatic identifier names, from an in-process or
  // local server; throws with the platform's description (never empty) when there is none.
  virtual std::unique_ptr<ComObject> CreateObject(const std::string& prog_id) = 0;
  // The class that CreateObject would create for the programmatic identifier, as the system reads
  // the identifier in this process's registry view: its identifier in braces, upper case; empty
  // text when it names none. Runs no component's code.
  virtual std::string ClassOf(const std::string& prog_id) = 0;

 protected:
  ~Com() = default;
};

// A class of one registry view that names a server: its identifier as its key is named, its
// in-process and local servers' values as written (empty where none), environment strings
// expanded, and its programmatic identifiers (the versioned one first).
struct RegisteredClass {
  std::string id;
  std::string in_process_server;
  std::string local_server;
  std::vector<std::string> prog_ids;
  int view_bits = 64;    // the registry view that holds it: 64 or 32
  bool own_view = true;  // the view of this process, the only one its in-process servers serve
};

class ClassRegistry {
 public:
  // The classes of every registry view with a server whose value `wanted` takes, with or without
  // a programmatic identifier; a class in both views is one of each. Only the wanted classes'
  // identifiers are read: a registry holds thousands of classes.
  virtual std::vector<RegisteredClass> Classes(
      const std::function<bool(const std::string& server)>& wanted) = 0;

 protected:
  ~ClassRegistry() = default;
};

// Whether two paths name one file, whatever their spelling: a short name, another case, another
// way to the same folder.
class PathIdentity {
 public:
  // False when either path cannot be opened.
  virtual bool SameFile(const std::string& path, const std::string& other) = 0;

 protected:
  ~PathIdentity() = default;
};

// Where the registry files a type library for its clients.
class TypeLibRegistry {
 public:
  // The file registered for the library (its GUID, version, locale and platform) in the registry
  // view of the programs of `machine` (a PE machine word), environment strings expanded as those
  // programs expand them; empty text when none is registered there.
  virtual std::string RegisteredFile(const TypeLibraryAttributes& library,
                                     std::uint16_t machine) = 0;

 protected:
  ~TypeLibRegistry() = default;
};

// The facts of this PC that decide where a loader takes an image's DLLs from: on a 64-bit
// Windows a 32-bit process sees its own half (System32 redirected to the 32-bit system folder, a
// registry view and program files of its own), and an image of either machine can be asked about.
class LoaderFacts {
 public:
  // The machines (PE machine words) of this process's exe and of Windows itself.
  virtual std::uint16_t ProcessMachine() = 0;
  virtual std::uint16_t WindowsMachine() = 0;
  // The system folder as this process names it, the 32-bit system folder of a 64-bit Windows
  // (empty on a 32-bit Windows) and the Windows folder; empty text when one cannot be had.
  virtual std::string SystemFolder() = 0;
  virtual std::string Wow64SystemFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  // The known DLLs' file names, which the loader takes from the system, never from a folder.
  virtual std::vector<std::string> KnownDlls() = 0;
  virtual std::string CurrentFolder() = 0;
  // The folders of PATH, in order.
  virtual std::vector<std::string> PathFolders() = 0;
  // An environment variable of this process; nothing when it is not set.
  virtual std::optional<std::string> Environment(const std::string& name) = 0;
  // Windows Resource Protection keeps the file: it is one of Windows' own.
  virtual bool ProtectedByWindows(const std::string& path) = 0;

 protected:
  ~LoaderFacts() = default;
};

// Everything of the machine that the tool asks for.
struct Platform {
  FileSystem& files;
  Desktop& desktop;
  Shell& shell;
  Com& com;
  Processes& processes;
};

// The user's general date form: short date, a blank, the long time; a midnight time is left out.
std::string GeneralDate(Desktop& desktop, const LocalDateTime& when);

}  // namespace tarn
