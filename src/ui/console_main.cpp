// Entry point of tarninfoc.exe, the console edition: the same loader, runner and checks as the
// window's, run unattended; the exit code says how the checks went.
#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <string>
#include <vector>

#include "console/arguments.h"
#include "console/baseline.h"
#include "console/run_report.h"
#include "console/scan.h"
#include "form/main_form.h"
#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/com.h"
#include "services/win32/diagnostics.h"
#include "services/win32/files.h"
#include "services/win32/registry.h"
#include "services/win32/search_order.h"
#include "ui/console_view.h"

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
  std::optional<console::Baseline> baseline;
  if (error.empty()) baseline = console::Baseline::Read(text, error);
  if (!baseline) WriteErrorLine(std::string(text::kBaselineIs).append(path).append(error));
  return baseline;
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
int Scan(const std::string& path) {
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
  Win32ClassRegistry classes;
  const DllSearch search = StandardDllSearch();
  console::ScanMachine machine{files, desktop, shell, reporter, classes, search};
  const console::ScannedInfoFile scanned = console::ScanFolder(machine, *folder);
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
  if (arguments.help) {
    std::string usage;
    for (const char c : text::kUsage) {
      if (c == '\n') usage += '\r';
      usage += c;
    }
    WriteStandard(STD_OUTPUT_HANDLE, usage);
    return console::kPassed;
  }
  if (arguments.scan) return Scan(*arguments.scan);
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
  Win32Diagnostics diagnostics(files);
  console::RunReport report(diagnostics,
                            {.to_utf8 = [](std::string_view text) { return Utf8(text); },
                             .from_utf8 = [](std::string_view text) { return FromUtf8(text); },
                             .tell =
                                 [&](std::string_view line) {
                                   if (!arguments.json) WriteErrorLine(line);
                                 },
                             .utc_offset_minutes = UtcOffsetMinutes(),
                             .json = arguments.json,
                             .baseline = baseline ? &*baseline : nullptr});
  report.Describe(text::kToolVersion, FullPath(arguments.info_file), arguments.no_register);

  ConsoleView view(!arguments.json, stop_requested);
  ConsoleDesktop desktop([&](std::string_view message) {
    // Stdout and stderr stay in the order in which the window would have shown them.
    view.pane().Flush();
    WriteErrorLine(message);
    report.Message(message);
  });
  ConsoleShell shell(folder);
  ComOnDemand com;
  MainForm form({files, desktop, shell, com, view}, view, report);
  form.register_components = !arguments.no_register;
  form.append_log_file = !arguments.no_log;

  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  std::string path = arguments.info_file;
  if (!form.LoadInfoFile(path)) return console::kBadUsage;
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
