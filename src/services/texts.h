// Every text the tool shows to its user or writes to its report, in one place.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarn::text {

inline constexpr std::string_view kAppTitle = "Tarn Application Information";
inline constexpr std::string_view kLogFileSuffix = ".log";
inline constexpr std::string_view kInfoFileExtension = "tarninfo";

// Info file
inline constexpr std::string_view kInvalidFile = "Invalid file.";
inline constexpr std::string_view kTooManyLines =
    "The info file has more than 32767 lines; only the first 32767 were loaded.";

// Report header and runner entries
inline constexpr std::string_view kDateTime = "Date/Time:  ";
inline constexpr std::string_view kApplicationName = "Application name = ";
inline constexpr std::string_view kUnknownItemType = "Script Error:  Unknown item type = ";
inline constexpr std::string_view kSkipping = "Skipping ";
inline constexpr std::string_view kSetInstallFolder = "Set InstallFolder=";
inline constexpr std::string_view kInstallFolderNotFound = "Install folder not found '";
// The install-folder prompt: its questions (LF LF between their two parts), the browser's title
// and the log entries of its outcomes.
inline constexpr std::string_view kPromptValue = "PROMPT";
inline constexpr std::string_view kPleaseSpecify = "Please specify where ";
inline constexpr std::string_view kIsInstalled = " is installed.";
inline constexpr std::string_view kIsInstalledFolder = " is installed.  The folder '";
inline constexpr std::string_view kDoesNotExist = "' does not exist.";
inline constexpr std::string_view kPressOkOrCancel =
    "\n\nPress OK to proceed, or Cancel to stop running the script.";
inline constexpr std::string_view kSelectFolderStart = "Select ";
inline constexpr std::string_view kSelectFolderEnd = " Folder";
inline constexpr std::string_view kScriptCancelled = "Script cancelled by user.";
inline constexpr std::string_view kSelectionCancelled = "Install folder selection cancelled.";
inline constexpr std::string_view kPromptedFolder = "Install Folder '";
inline constexpr std::string_view kFoundFolder = "Install folder '";
inline constexpr std::string_view kFolderSelected = "' selected.";
inline constexpr std::string_view kPromptOrStop =
    "            Prompt user to find folder or stop script.";

// Check blocks
inline constexpr std::string_view kFileHeading = "File: ";
inline constexpr std::string_view kActiveXHeading = "ActiveXComponent: ";
inline constexpr std::string_view kInstantiateHeading = "InstantiateObject: ";

// File check and script variables
inline constexpr std::string_view kFileDate = "   File Date: ";
inline constexpr std::string_view kFileVersion = "   Version: ";
inline constexpr std::string_view kFileDoesNotExist = "   File does not exist";

// ActiveX component check
inline constexpr std::string_view kClsid = "   CLSID: ";
inline constexpr std::string_view kRegisterOk = "   Register Component: OK";
inline constexpr std::string_view kRegisterFailed =
    "   Register Component: ERROR - Cannot register";
// A read-only audit looks at the component but leaves its registration alone.
inline constexpr std::string_view kRegisterNotRun =
    "   Register Component: NOT RUN - read-only audit";
inline constexpr std::string_view kNoFileForGuid = "File does not exist";
inline constexpr std::string_view kNoTypeLibReader = "Error instantiating a TypeLibInfo object.";
inline constexpr std::string_view kFileNotFoundForRegister = "File Not found: ";
// The registration tool, named so that the system's program search finds it.
inline constexpr std::string_view kRegisterCommand = "RegSvr32 /S ";

// Object instantiation check
inline constexpr std::string_view kInstantiateOk = "   Instantiate Object Check: OK";
inline constexpr std::string_view kInstantiateFailed = "   Instantiate Object Check: FAILED - ";
inline constexpr std::string_view kEmptyInstallFolder = "%InstallFolder% is an empty variable.";
inline constexpr std::string_view kEmptyAppName = "%AppName% is an empty variable.";

// Failures the tool itself raises
inline constexpr std::string_view kNoSuchItem = "Invalid property array index";

// Window
inline constexpr std::string_view kItemsLabel = "Items:";
inline constexpr std::string_view kLogLabel = "Log:";
inline constexpr std::string_view kOpenButton = "&Open";
inline constexpr std::string_view kGetInfoButton = "&Get Info";
inline constexpr std::string_view kExitButton = "E&xit";
inline constexpr std::string_view kMenuFile = "&File";
inline constexpr std::string_view kMenuFileOpen = "&Open\tCtrl+O";
inline constexpr std::string_view kMenuFileExit = "E&xit";
inline constexpr std::string_view kMenuEdit = "&Edit";
inline constexpr std::string_view kMenuEditCopyAll = "Copy Entire &Log";
inline constexpr std::string_view kMenuEditCopy = "&Copy\tCtrl+C";

// File dialog
inline constexpr std::string_view kFileDialogCaption = "File Dialog";
inline constexpr std::string_view kFileDialogTitle = "Select Program Files Location";
inline constexpr std::string_view kDriveLabel = "Drive:";
inline constexpr std::string_view kFoldersLabel = "Folders:";
inline constexpr std::string_view kFilesLabel = "Files:";
inline constexpr std::string_view kOkButton = "&OK";
inline constexpr std::string_view kCancelButton = "C&ancel";
inline constexpr std::string_view kAllFilesPattern = "*.*";

// The info file's language: item keys in upper case, as they are compared, and variable names.
inline constexpr std::string_view kKeyAppName = "APPNAME";
inline constexpr std::string_view kKeyActiveXComponent = "ACTIVEXCOMPONENT";
inline constexpr std::string_view kKeyFile = "FILE";
inline constexpr std::string_view kKeyInstallFolder = "INSTALLFOLDER";
inline constexpr std::string_view kKeyInstantiateObject = "INSTANTIATEOBJECT";
inline constexpr std::string_view kTypeAppName = "AppName";
inline constexpr std::string_view kTypeActiveXComponent = "ActiveXComponent";
inline constexpr std::string_view kTypeFile = "File";
inline constexpr std::string_view kTypeInstallFolder = "InstallFolder";
inline constexpr std::string_view kTypeInstantiateObject = "InstantiateObject";
inline constexpr std::string_view kVariableCommonFilesFolder = "CommonFilesFolder";
inline constexpr std::string_view kVariableProgramFiles = "ProgramFiles";
inline constexpr std::string_view kVariableSystemFolder = "SystemFolder";
inline constexpr std::string_view kVariableInstallFolder = "InstallFolder";
inline constexpr std::string_view kVariableAppName = "AppName";

// The console edition, tarninfoc.exe
inline constexpr std::string_view kToolVersion = "1.0.0.0";
inline constexpr std::string_view kUsage =
    "Usage: tarninfoc [options] INFOFILE\n"
    "       tarninfoc /scan:FOLDER /out:INFOFILE\n"
    "\n"
    "Runs the checks of an info file as Tarn Application Information does, without a window and\n"
    "without a question, and writes the report to standard output. Messages go to standard error.\n"
    "\n"
    "  /json          print the report as one JSON document instead of text\n"
    "  /noregister    read-only audit: check ActiveX components, but do not run RegSvr32\n"
    "  /folder:PATH   the folder that answers PROMPT values and a missing install folder;\n"
    "                 without it, both count as a cancelled folder selection\n"
    "  /nolog         do not append the report to Tarn Application Information.log\n"
    "  /baseline:REPORT.json\n"
    "                 compare every item with a /json report of the same info file taken on a\n"
    "                 PC that works; each difference is drift and fails its item\n"
    "  /timeout:SECONDS\n"
    "                 end a RegSvr32 that runs longer, and what it started, and go on with the\n"
    "                 next line; default 60, /timeout:0 waits for as long as it runs\n"
    "  /scan:FOLDER   run no info file: write one to standard output for the application\n"
    "                 installed in FOLDER (its images, runtimes and classes)\n"
    "  /out:FILE      write what standard output would get (the report, the JSON or the\n"
    "                 scanned info file) to FILE, byte for byte: the lossless way, where\n"
    "                 Windows PowerShell's > changes the text\n"
    "  /? or -h       show this text\n"
    "\n"
    "Switches begin with / or - and may be written in any case.\n"
    "\n"
    "Exit codes:\n"
    "  0  every check passed\n"
    "  1  at least one check failed (a missing file or folder, a component that did not\n"
    "     register, an object not created, an unknown item type, an empty variable, a skipped\n"
    "     line), or an item drifted from the baseline\n"
    "  2  bad usage, the info file could not be loaded or names nothing to check, or the\n"
    "     baseline is unfit\n"
    "  3  the run was stopped before its end (Ctrl+C, Ctrl+Break, or a failure of the run)\n";
inline constexpr std::string_view kUnknownSwitch = "tarninfoc: unknown switch ";
inline constexpr std::string_view kSecondInfoFile = "tarninfoc: only one info file, not also ";
inline constexpr std::string_view kNoInfoFile =
    "tarninfoc: no info file given (tarninfoc /? tells more)";
inline constexpr std::string_view kFolderNeedsPath =
    "tarninfoc: /folder needs a folder: /folder:PATH";
inline constexpr std::string_view kFolderNotFound = "tarninfoc: no such folder for /folder: ";
inline constexpr std::string_view kTimeoutNeedsSeconds =
    "tarninfoc: /timeout needs whole seconds from 0 (no limit) to 86400: /timeout:SECONDS";
inline constexpr std::string_view kScanNeedsPath = "tarninfoc: /scan needs a folder: /scan:FOLDER";
inline constexpr std::string_view kScanNotFound = "tarninfoc: no such folder for /scan: ";
inline constexpr std::string_view kScanAlone =
    "tarninfoc: /scan runs no info file, so it takes no /json and no /baseline";
inline constexpr std::string_view kOutNeedsFile = "tarninfoc: /out needs a file: /out:FILE";
inline constexpr std::string_view kOutCannotMake = "tarninfoc: /out cannot write ";
inline constexpr std::string_view kOutIsInput = "tarninfoc: /out would write over what it reads: ";
// An info file that tarninfoc refuses, or warns of, when it is loaded.
inline constexpr std::string_view kNoCheckItem =
    "tarninfoc: the info file has no File, ActiveXComponent, InstantiateObject or InstallFolder "
    "line, so a run would check nothing: ";
inline constexpr std::string_view kLoneLineFeed =
    "tarninfoc: warning: lines of the info file end in LF alone, which ends no line here (only CR "
    "LF or CR do), so each run of them is one line: ";
inline constexpr std::string_view kInfoFileIs = "The info file";  // then kNoUtf16
inline constexpr std::string_view kInfoFileLine = "Line ";
inline constexpr std::string_view kInfoFileNotInCodePage =
    " of the info file holds a character that this PC's code page cannot hold";
inline constexpr std::string_view kScanRunsNoFile = "tarninfoc: /scan runs no info file, not also ";
// The info file that /scan writes: its first comment line (the folder, then the date), and the
// last one, with the line on standard error, when the item list's limit left images out.
inline constexpr std::string_view kScanComment = "; Written by tarninfoc /scan of ";
inline constexpr std::string_view kScanCommentDate = " on ";
inline constexpr std::string_view kScanLeftOutComment = "; ";
inline constexpr std::string_view kScanLeftOut =
    " images left out: an info file holds at most 32767 lines";
inline constexpr std::string_view kScanLeftOutError = "tarninfoc: ";
// A file or folder below the scanned folder that could not be read (locked, refused, a name
// outside the code page, a path too long): a comment line each, a last comment with the count,
// and a line each on standard error with the full path.
inline constexpr std::string_view kScanNotReadComment = "; Not read: ";
inline constexpr std::string_view kScanNotReadReason = ": ";
inline constexpr std::string_view kScanNotReadCountComment = "; Files and folders not read: ";
inline constexpr std::string_view kScanNotReadError = "tarninfoc: not read: ";
// An assembly that serves an import of the scanned images; WinSxS folder names change with each
// servicing update, so only a file that a folder variable can name becomes a check.
inline constexpr std::string_view kScanAssemblyComment = "; Side-by-side assembly ";
inline constexpr std::string_view kScanAssemblyFile = ": ";
inline constexpr std::string_view kScanAssemblyMissingComment =
    "; Side-by-side assembly not found on this PC: ";
inline constexpr std::string_view kScanAssemblyNamedBy = ", named by the manifest of ";
// A class served from the scanned folder whose object the object check would not create on the
// PC of the scan: a comment line with its programmatic identifier and one of these reasons.
inline constexpr std::string_view kScanNotObjectComment = "; Not an InstantiateObject: ";
inline constexpr std::string_view kScanServedOnlyIn = " (served only in the ";
inline constexpr std::string_view kScanServedOnlyInView = "-bit registry view)";
inline constexpr std::string_view kScanProgIdNamesNoClass = " (its ProgID names no class)";
inline constexpr std::string_view kScanProgIdNamesAnotherClass =
    " (its ProgID names another class)";
inline constexpr std::string_view kScanNoAutomationType =
    " (no type information says it is an automation object)";
// A component that registers itself, written as a File: a read-only run would fail it here, as no
// class or not every class of its type library is registered to it.
inline constexpr std::string_view kScanNotComponentComment = "; Not an ActiveXComponent: ";
inline constexpr std::string_view kScanNoClassRegistered = " (no class is registered to it)";
// The product name of Wine's own DLLs, which stand in for Windows' own under Wine, in lower case.
inline constexpr std::string_view kWineProduct = "wine";
// On the first Ctrl+C or Ctrl+Break, so that whoever pressed it knows it was taken.
inline constexpr std::string_view kStopping = "tarninfoc: stopping after the current item";
// The reasons behind a failed registration or creation, one line each, after the item's value
// and, for a registration, the RegSvr32 that ran.
inline constexpr std::string_view kRegSvr32 = "RegSvr32";
inline constexpr std::string_view kReasonArguments = " refused its arguments (exit code 1)";
inline constexpr std::string_view kReasonOle = " could not start OLE (exit code 2)";
inline constexpr std::string_view kReasonLoad = " could not load the file (exit code 3)";
inline constexpr std::string_view kReasonEntryPoint =
    " found no DllRegisterServer in the file: it is no self-registering component (exit code 4)";
inline constexpr std::string_view kReasonServer =
    ": the component's DllRegisterServer failed (exit code 5)";
inline constexpr std::string_view kReasonNotElevated =
    "; this program is not elevated: run it as administrator";
inline constexpr std::string_view kReasonElevated = "; this program is elevated";
inline constexpr std::string_view kReasonNotStarted = ": RegSvr32 could not be started";
inline constexpr std::string_view kReasonOther = " ended with exit code ";
inline constexpr std::string_view kReasonTimedOut =
    " did not end within the time limit (/timeout) and was ended, with what it started: the "
    "component's DllRegisterServer may wait for an answer that nobody can give";
inline constexpr std::string_view kReasonNoExitCode =
    " ended, but its exit code could not be read, so the registration is not known to have "
    "succeeded";
inline constexpr std::string_view kReasonFileIsFor = ": the file is for ";
inline constexpr std::string_view kReasonRegSvr32Only =
    ", and this Windows has a RegSvr32 only for ";
inline constexpr std::string_view kReasonLoaderIsFor = ", this program is for ";
inline constexpr std::string_view kReasonAnd = " and ";
inline constexpr std::string_view kReasonImports = ": imports ";
inline constexpr std::string_view kReasonNotFound = ", which the loader cannot find";
inline constexpr std::string_view kReasonNeedsAssembly =
    ": its manifest depends on the side-by-side assembly ";
inline constexpr std::string_view kReasonNoClass = ": the class is registered in no registry view";
inline constexpr std::string_view kReasonRegisteredFor = ": the class is registered only for ";
// A component's class that its registry view does not send to the component: "class {...} is
// registered to C:\Old\grid.ocx", after the component on standard error (/noregister), in
// parentheses in a scan's comment.
inline constexpr std::string_view kPlacedClass = "class ";
inline constexpr std::string_view kReasonRegisteredTo = " is registered to ";
inline constexpr std::string_view kReasonNotRegistered = " is not registered";
// /baseline: the good PC's report that cannot be compared with, said after "the baseline FILE",
// and each drift from it, one line each.
inline constexpr std::string_view kBaselineNeedsFile =
    "tarninfoc: /baseline needs a report: /baseline:REPORT.json";
inline constexpr std::string_view kBaselineIs = "tarninfoc: the baseline ";
inline constexpr std::string_view kBaselineUnreadable = " cannot be read: ";
inline constexpr std::string_view kBaselineNotJson = " is not JSON";
// After the info file or the baseline.
inline constexpr std::string_view kNoUtf16 =
    " starts with a UTF-16 byte-order mark but is no UTF-16 text";
inline constexpr std::string_view kBaselineNoObject =
    " is no tarninfoc report: it is not a JSON object";
inline constexpr std::string_view kBaselineLacks = " is no tarninfoc report: it has no ";
inline constexpr std::string_view kBaselineNotOurs =
    " is no tarninfoc report: its tool is not tarninfoc";
inline constexpr std::string_view kBaselineBadItem =
    " is no tarninfoc report: no line, kind, text or passed fit for item ";
inline constexpr std::string_view kBaselineOtherInfoFile =
    " is the report of another info file: no item line in common";
inline constexpr std::string_view kDriftLine = "line ";
inline constexpr std::string_view kDriftGoodHas = ", the good PC has ";
inline constexpr std::string_view kDriftNoSuchItem = "the good PC has no such item";
inline constexpr std::string_view kDriftOnGoodPc = " on the good PC: ";
inline constexpr std::string_view kDriftNotHere = ": not in this run";
inline constexpr std::string_view kDriftNone = "none";
inline constexpr std::string_view kDriftYes = "yes";
inline constexpr std::string_view kDriftNo = "no";
// A file of the good PC's version whose bytes differ: "same version 2.4.9, other bytes".
inline constexpr std::string_view kDriftSameVersion = "same version ";
inline constexpr std::string_view kDriftOtherBytes = "other bytes";
// The JSON report's names, as docs/tarninfoc-report.schema.json describes them.
namespace json {
inline constexpr std::string_view kTool = "tool";
inline constexpr std::string_view kToolName = "tarninfoc";
inline constexpr std::string_view kVersion = "version";
inline constexpr std::string_view kInfoFile = "infoFile";
inline constexpr std::string_view kStarted = "started";
inline constexpr std::string_view kReadOnly = "readOnly";
inline constexpr std::string_view kApplication = "application";
inline constexpr std::string_view kInstallFolder = "installFolder";
inline constexpr std::string_view kResult = "result";
inline constexpr std::string_view kResultPassed = "passed";
inline constexpr std::string_view kResultFailed = "failed";
inline constexpr std::string_view kResultStopped = "stopped";
inline constexpr std::string_view kExitCode = "exitCode";
inline constexpr std::string_view kSummary = "summary";
inline constexpr std::string_view kPassedCount = "passed";
inline constexpr std::string_view kFailedCount = "failed";
inline constexpr std::string_view kItems = "items";
inline constexpr std::string_view kMessages = "messages";
inline constexpr std::string_view kLine = "line";
inline constexpr std::string_view kKind = "kind";
inline constexpr std::string_view kKindItem = "item";
inline constexpr std::string_view kKindSkipped = "skipped";
inline constexpr std::string_view kKindEmptyVariable = "emptyVariable";
inline constexpr std::string_view kKindUnknownType = "unknownType";
inline constexpr std::string_view kText = "text";
inline constexpr std::string_view kType = "type";
inline constexpr std::string_view kValue = "value";
inline constexpr std::string_view kPassed = "passed";
inline constexpr std::string_view kPrompted = "prompted";
inline constexpr std::string_view kVariables = "variables";
inline constexpr std::string_view kExists = "exists";
inline constexpr std::string_view kModified = "modified";
inline constexpr std::string_view kVersionOfFile = "version";
inline constexpr std::string_view kTypeLibrary = "typeLibrary";
inline constexpr std::string_view kRegistered = "registered";
inline constexpr std::string_view kCreated = "created";
inline constexpr std::string_view kChosen = "chosen";
inline constexpr std::string_view kError = "error";
inline constexpr std::string_view kMachine = "machine";
inline constexpr std::string_view kMachineFile = "file";
inline constexpr std::string_view kRegSvr32 = "regsvr32";
inline constexpr std::string_view kProgram = "program";
inline constexpr std::string_view kFailure = "failure";
inline constexpr std::string_view kFailureArguments = "arguments";
inline constexpr std::string_view kFailureOle = "ole";
inline constexpr std::string_view kFailureLoad = "load";
inline constexpr std::string_view kFailureEntryPoint = "entryPoint";
inline constexpr std::string_view kFailureServer = "server";
inline constexpr std::string_view kFailureNotStarted = "notStarted";
inline constexpr std::string_view kFailureTimedOut = "timedOut";
inline constexpr std::string_view kFailureNoExitCode = "noExitCode";
inline constexpr std::string_view kFailureOther = "other";
inline constexpr std::string_view kElevated = "elevated";
inline constexpr std::string_view kRegisteredFor = "registeredFor";
inline constexpr std::string_view kMachineLoader = "loader";
inline constexpr std::string_view kMissingDependencies = "missingDependencies";
inline constexpr std::string_view kMissingAssemblies = "missingAssemblies";
inline constexpr std::string_view kSize = "size";
inline constexpr std::string_view kSha256 = "sha256";
inline constexpr std::string_view kImageMachine = "imageMachine";
inline constexpr std::string_view kIdentityError = "identityError";
inline constexpr std::string_view kSignature = "signature";
inline constexpr std::string_view kSignatureStatus = "status";
inline constexpr std::string_view kSignatureTrusted = "trusted";
inline constexpr std::string_view kSignatureUntrusted = "untrusted";
inline constexpr std::string_view kSignatureUnsigned = "unsigned";
inline constexpr std::string_view kSigner = "signer";
inline constexpr std::string_view kSignatureReason = "reason";
inline constexpr std::string_view kByCatalog = "catalog";
inline constexpr std::string_view kRegistration = "registration";
inline constexpr std::string_view kClasses = "classes";
inline constexpr std::string_view kClassId = "clsid";
inline constexpr std::string_view kPlacement = "placement";
inline constexpr std::string_view kPlacementHere = "here";
inline constexpr std::string_view kPlacementElsewhere = "elsewhere";
inline constexpr std::string_view kPlacementMissing = "missing";
inline constexpr std::string_view kPlacedPath = "path";
inline constexpr std::string_view kCounts = "counts";
inline constexpr std::string_view kBaseline = "baseline";
inline constexpr std::string_view kBaselineFile = "file";
inline constexpr std::string_view kBaselineMissing = "missing";
inline constexpr std::string_view kBaselineExtra = "extra";
}  // namespace json

// The modules and procedures that an error text names, "[module.procedure (line)] ..."
inline constexpr std::string_view kMainModule = "frmMain";
inline constexpr std::string_view kWin32Module = "Win32API";
inline constexpr std::string_view kFolderBrowserModule = "FolderBrowser";
inline constexpr std::string_view kProcedureTestForPrompt = "TestForPrompt";
inline constexpr std::string_view kProcedureBrowseForFolder = "BrowseForFolder";
inline constexpr std::string_view kProcedureLogEntry = "LogEntry";
inline constexpr std::string_view kProcedureSaveLog = "SaveLog";
inline constexpr std::string_view kProcedureLoadInfoFile = "LoadInfoFile";
inline constexpr std::string_view kProcedureProcess = "Process";
inline constexpr std::string_view kProcedureGetFileInfo = "GetFileInfo";
inline constexpr std::string_view kProcedureGetFilePathOnly = "GetFilePathOnly";
inline constexpr std::string_view kProcedureGetFileVersion = "GetFileVersion";
inline constexpr std::string_view kProcedureGetSystemFolder = "GetSystemFolder";
inline constexpr std::string_view kProcedureFileDialog = "FileDialog";
inline constexpr std::string_view kProcedureGetActiveXInfo = "GetActiveXInfo";
inline constexpr std::string_view kProcedureRegisterActiveX = "RegisterActiveX";
inline constexpr std::string_view kProcedureInstantiateObjectCheck = "InstantiateObjectCheck";

// Failures
inline constexpr std::string_view kUnexpectedError = "Unexpected error";
inline constexpr std::string_view kUnexpectedErrorCode = "Unexpected error (0x%08X)";  // printf
inline constexpr std::string_view kOutOfMemory = "Out of memory";
inline constexpr std::string_view kDeviceUnavailable = "Device unavailable";
inline constexpr std::string_view kPathNotFound = "Path not found";
inline constexpr std::string_view kCannotCreateObject = "ActiveX component can't create object";
struct ClassicDescription {
  std::uint32_t code;
  std::string_view text;
};
// The wordings Windows programs have always shown for these failures. HRESULTs that wrap a
// Win32 code (0x8007xxxx) are looked up by that code.
inline constexpr ClassicDescription kClassicDescriptions[] = {
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many files"},
    {5, "Permission denied"},
    {8, "Out of memory"},
    {14, "Out of memory"},
    {15, "Device unavailable"},
    {21, "Device unavailable"},
    {32, "Permission denied"},
    {33, "Permission denied"},
    {39, "Disk full"},
    {53, "Path not found"},
    {67, "Path not found"},
    {112, "Disk full"},
    {123, "Bad file name or number"},
    {161, "Path not found"},
    {206, "Bad file name or number"},
    {0x80004002, "No such interface supported"},
    {0x80040154, kCannotCreateObject},
    {0x800401F3, kCannotCreateObject},
    {0x80029C4A, "Error loading type library/DLL."},
    {0x80029C83, "Error accessing the OLE registry."},
    {0x8002802B, "Element not found"},
};


// A file's identity: the failure of its SHA-256, and the words for the results of a signature
// check, as Windows words them (not every system has these messages).
inline constexpr std::string_view kHashFailed = "The file's SHA-256 could not be computed";
inline constexpr ClassicDescription kTrustReasons[] = {
    {0x80096010, "The digital signature of the object did not verify."},
    {0x800B0109,
     "A certificate chain processed, but terminated in a root certificate which is not trusted by "
     "the trust provider."},
    {0x800B010A, "A certificate chain could not be built to a trusted root authority."},
    {0x800B0101,
     "A required certificate is not within its validity period when verifying against the current "
     "system clock or the timestamp in the signed file."},
    {0x800B010C, "A certificate was explicitly revoked by its issuer."},
    {0x800B010D,
     "The certification path terminates with the test root which is not trusted with the current "
     "policy settings."},
    {0x800B0110, "The certificate is not valid for the requested usage."},
    {0x800B0111, "The certificate was explicitly marked as untrusted by the user."},
    {0x800B0004, "The subject is not trusted for the specified action."},
    {0x80096004, "The signature of the certificate cannot be verified."},
    {0x80096002, "The certificate for the signer of the message is invalid or not found."},
    {0x80092026, "The cryptographic operation failed due to a local security option setting."},
};

}  // namespace tarn::text
