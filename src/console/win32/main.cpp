// Entry point of tarninfoc.exe, the console edition: the same loader, runner and checks as the
// window's, run unattended; the exit code says how the checks went.
#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "console/arguments.h"
#include "console/baseline.h"
#include "console/info_file_reading.h"
#include "console/run_report.h"
#include "console/scan.h"
#include "console/win32/console_view.h"
#include "form/main_form.h"
#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/com.h"
#include "services/win32/diagnostics.h"
#include "services/win32/file_identity.h"
#include "services/win32/files.h"
#include "services/win32/handles.h"
#include "services/win32/path_identity.h"
#include "services/win32/registry.h"
#include "services/win32/search_order.h"
#include "services/win32/side_by_side.h"
#include "services/win32/system_error.h"
#include "services/win32/type_library_registry.h"

namespace tarn::win32 {
namespace {

std::atomic<bool> stop_requested{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // The run stops before its next item line, and still saves its log and says what it found.
  // The item under way may take long (a registration), so the stop is acknowledged at once.
  if (!stop_requested.exchange(true)) WriteErrorLine(tarn::text::kStopping);
  return TRUE;
}

std::string FullPath(const std::string& path) {
  std::string full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// The folder as the shell's browser would give it: a full path ending in a backslash.
std::optional<std::string> BrowserFolder(const std::string& path) {
  std::string folder = FullPath(path);
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// Minutes east of UTC of the local time now, daylight saving included.
int UtcOffsetMinutes() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = ::GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  return kind == TIME_ZONE_ID_INVALID ? 0 : -static_cast<int>(bias);
}

// COM, started by the first check that needs it (a component or an object): a run of File items
// never pays for the apartment. It ends with the run, once the form has let go of every object.
class ComOnDemand final : public Com {
 public:
  ComOnDemand() = default;
  ComOnDemand(const ComOnDemand&) = delete;
  ComOnDemand& operator=(const ComOnDemand&) = delete;
  ~ComOnDemand() {
    if (started_) ::CoUninitialize();
  }
  std::unique_ptr<TypeLibReader> NewTypeLibReader() override {
    Start();
    return com_.NewTypeLibReader();
  }
  std::unique_ptr<ComObject> CreateObject(const std::string& prog_id) override {
    Start();
    return com_.CreateObject(prog_id);
  }
  std::string ClassOf(const std::string& prog_id) override {
    Start();
    return com_.ClassOf(prog_id);
  }

 private:
  void Start() {
    if (tried_) return;
    tried_ = true;
    started_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }

  Win32Com com_;
  bool tried_ = false;
  bool started_ = false;
};

// The read-only audit of a component's registration, over this PC's registry and files.
class RegistrationAudits {
 public:
  RegistrationAudits(FileSystem& files, Com& com, const LoaderView& loader)
      : libraries_(loader),
        placement_([&loader](const std::string& id,
                             RegistryView view) { return ReadClassServers(id, loader, view); },
                   loader, files, paths_),
        auditor_(files, com, placement_, libraries_, paths_, loader) {}
  RegistrationAudits(const RegistrationAudits&) = delete;
  RegistrationAudits& operator=(const RegistrationAudits&) = delete;

  std::optional<RegistrationAudit> operator()(const std::string& component) {
    return auditor_.Audit(component);
  }

 private:
  Win32PathIdentity paths_;
  Win32TypeLibRegistry libraries_;
  ClassPlacement placement_;
  RegistrationAuditor auditor_;
};

// A program that tarninfoc starts must not hold tarninfoc's standard handles: a pipe that
// tarninfoc's starter reads would then stay open after tarninfoc ended, and its reader would wait
// for ever.
void KeepStandardHandles() noexcept {
  for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
      ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  }
}

// The good PC's report; nullopt, after one line on standard error, when it cannot be compared with.
std::optional<console::Baseline> ReadBaseline(FileSystem& files, const std::string& path) {
  std::string text, error;
  try {
    text = files.ReadAll(path);
  } catch (const std::exception& failure) {
    error = std::string(text::kBaselineUnreadable) + failure.what();
  }
  // Windows PowerShell's ">" writes the report as UTF-16LE with a byte-order mark.
  std::optional<std::string> utf8;
  if (error.empty() && !(utf8 = console::MarkedTextAsUtf8(text))) error = text::kNoUtf16;
  std::optional<console::Baseline> baseline;
  if (error.empty()) baseline = console::Baseline::Read(*utf8, error);
  if (!baseline) WriteErrorLine(std::string(text::kBaselineIs).append(path).append(error));
  return baseline;
}

// The /out file, which takes the bytes that standard output would get. It is opened before
// anything runs, so a name that cannot be written is bad usage; it is emptied only when the output
// begins, so bad input leaves a file that was there as it was (and removes one made for the run).
class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() {
    if (file_ && made_ && !begun_) {
      file_.reset();
      ::DeleteFileA(path_.c_str());
    }
  }

  // False, after one line on standard error, when the file cannot be opened for writing.
  bool Open(const std::string& path) {
    path_ = path;
    file_.reset(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = ::GetLastError();
    if (!file_) {
      WriteErrorLine(std::string(text::kOutCannotMake)
                         .append(path)
                         .append(": ")
                         .append(DescribeSystemError(error, SystemMessage(error))));
      return false;
    }
    made_ = error != ERROR_ALREADY_EXISTS;
    return true;
  }

  // Whether `path` names this very file, under whatever name: the run must not empty a file that
  // it reads.
  bool Is(const std::string& path) const {
    const UniqueFile other(::CreateFileA(path.c_str(), 0,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    return file_ && other && SameFile(file_.get(), other.get());
  }

  // From here on standard output is the file, emptied first; nothing when no file was given.
  void Begin() noexcept {
    if (!file_ || begun_) return;
    begun_ = true;
    ::SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file_.get());
    ::SetStdHandle(STD_OUTPUT_HANDLE, file_.get());
  }

 private:
  UniqueFile file_;
  std::string path_;
  bool made_ = false, begun_ = false;
};

// The lines just loaded are refused when they would check nothing; a lone LF among them is
// warned of whatever else happens. False, after the line that says why, when they are refused.
bool FitToRun(ItemList& items, const std::string& path) {
  std::vector<std::string> lines;
  for (int i = 0; i < items.Count(); ++i) lines.push_back(items.At(i));
  if (console::HoldsLoneLineFeed(lines)) WriteErrorLine(std::string(text::kLoneLineFeed) + path);
  if (console::NamesACheck(lines)) return true;
  WriteErrorLine(std::string(text::kNoCheckItem) + path);
  return false;
}

// A failure while finding the special folders of a scan, on standard error: there is no log.
class ErrorLineReporter final : public Reporter {
 public:
  void ReportToLog(std::string_view error_text) noexcept override { WriteErrorLine(error_text); }
  void ReportInBox(std::string_view error_text, BoxIcon) noexcept override {
    WriteErrorLine(error_text);
  }
};

// The info file of the application in `path`, on standard output as the system's code page
// writes it.
int Scan(const std::string& path, OutFile& out) {
  std::optional<std::string> folder = BrowserFolder(path);
  if (!folder) {
    WriteErrorLine(std::string(text::kScanNotFound) + path);
    return console::kBadUsage;
  }
  folder->pop_back();
  Win32FileSystem files;
  Win32Desktop desktop;
  Win32Shell shell;
  ErrorLineReporter reporter;
  Win32LoaderFacts facts;
  const LoaderView loader(facts);
  Win32ClassRegistry classes(loader);
  Win32Assemblies assemblies;
  // The classes' type information is read through COM, started only for a folder that serves any.
  ComOnDemand com;
  RegistrationAudits audits(files, com, loader);
  console::ScanSources sources{files, desktop, shell,       reporter,        classes,
                               com,   loader,  &assemblies, std::ref(audits)};
  const console::ScannedInfoFile scanned = console::ScanFolder(sources, *folder);
  out.Begin();
  WriteStandard(STD_OUTPUT_HANDLE, scanned.text);
  for (const console::Unread& unread : scanned.unread) {
    WriteErrorLine(std::string(text::kScanNotReadError) + unread.path +
                   std::string(text::kScanNotReadReason) + unread.reason);
  }
  if (scanned.left_out > 0) {
    WriteErrorLine(std::string(text::kScanLeftOutError) + std::to_string(scanned.left_out) +
                   std::string(text::kScanLeftOut));
  }
  return console::kPassed;
}

int Run(const std::vector<std::string>& words) {
  console::Arguments arguments;
  std::string error;
  if (!console::ParseArguments(words, arguments, error)) {
    WriteErrorLine(error);
    return console::kBadUsage;
  }
  OutFile out;
  if (arguments.out && !out.Open(*arguments.out)) return console::kBadUsage;
  for (const std::string& input : {arguments.info_file, arguments.baseline.value_or("")}) {
    if (arguments.out && !input.empty() && out.Is(input)) {
      WriteErrorLine(std::string(text::kOutIsInput) + input);
      return console::kBadUsage;
    }
  }
  if (arguments.help) {
    out.Begin();
    std::string usage;
    for (const char c : text::kUsage) {
      if (c == '\n') usage += '\r';
      usage += c;
    }
    WriteStandard(STD_OUTPUT_HANDLE, usage);
    return console::kPassed;
  }
  if (arguments.scan) return Scan(*arguments.scan, out);
  std::optional<std::string> folder;
  if (arguments.folder) {
    folder = BrowserFolder(*arguments.folder);
    if (!folder) {
      WriteErrorLine(std::string(text::kFolderNotFound) + *arguments.folder);
      return console::kBadUsage;
    }
  }

  Win32FileSystem files;
  std::optional<console::Baseline> baseline;
  if (arguments.baseline) {
    baseline = ReadBaseline(files, *arguments.baseline);
    if (!baseline) return console::kBadUsage;
  }
  Win32LoaderFacts facts;
  Win32Diagnostics diagnostics(files, facts);
  // What the JSON report and the comparison add to the checks, and the read-only run's answer to
  // "is it registered". COM is started by the first check that needs it.
  ComOnDemand com;
  const LoaderView loader(facts);
  Win32FileIdentity identity;
  RegistrationAudits audits(files, com, loader);
  console::RunReport report(
      diagnostics,
      {.to_utf8 = [](std::string_view text) { return Utf8(text); },
       .from_utf8 = [](std::string_view text) { return FromUtf8(text); },
       .tell =
           [&](std::string_view line) {
             if (!arguments.json) WriteErrorLine(line);
           },
       .utc_offset_minutes = UtcOffsetMinutes(),
       .json = arguments.json,
       .baseline = baseline ? &*baseline : nullptr,
       .identify = [&](const std::string& path) { return ReadFileFacts(files, identity, path); },
       .audit = std::ref(audits)});
  report.Describe(text::kToolVersion, FullPath(arguments.info_file), arguments.no_register);

  ConsoleView view(!arguments.json, stop_requested, arguments.timeout_seconds);
  ConsoleDesktop desktop([&](std::string_view message) {
    // Stdout and stderr stay in the order in which the window would have shown them.
    view.pane().Flush();
    WriteErrorLine(message);
    report.Message(message);
  });
  ConsoleShell shell(folder);
  console::MarkedInfoFiles info_files(files, ExactlyFromUtf8);
  MainForm form({info_files, desktop, shell, com, view}, view, report);
  form.register_components = !arguments.no_register;
  form.append_log_file = !arguments.no_log;

  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  std::string path = arguments.info_file;
  if (!form.LoadInfoFile(path) || !FitToRun(view.Items(), path)) return console::kBadUsage;
  if (baseline) {
    std::vector<std::string> lines;
    for (int i = 0; i < view.Items().Count(); ++i) lines.push_back(Utf8(view.Items().At(i)));
    if (!baseline->SharesAnyLine(lines)) {
      WriteErrorLine(std::string(text::kBaselineIs)
                         .append(*arguments.baseline)
                         .append(text::kBaselineOtherInfoFile));
      return console::kBadUsage;
    }
    report.CompareWith(FullPath(*arguments.baseline));
  }
  out.Begin();
  form.Process();
  view.pane().Flush();
  if (arguments.json) {
    std::string document = report.Finish(form.app_name, form.install_folder);
    document += "\r\n";  // in place: the document of a long run is large
    WriteStandard(STD_OUTPUT_HANDLE, document, CP_UTF8);
  }
  return report.exit_code();
}

}  // namespace
}  // namespace tarn::win32

int main(int argc, char** argv) {
  int exit_code = tarn::console::kStopped;
  tarn::win32::KeepStandardHandles();
  try {
    exit_code = tarn::win32::Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (...) {
    tarn::win32::WriteErrorLine(tarn::text::kUnexpectedError);
  }
  return exit_code;
}
