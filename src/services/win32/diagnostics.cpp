#include "services/win32/diagnostics.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>

#include "services/load_diagnosis.h"
#include "services/paths.h"
#include "services/texts.h"
#include "services/win32/handles.h"
#include "services/win32/registry.h"
#include "services/win32/search_order.h"

namespace tarn::win32 {
namespace {

std::uint16_t OwnMachine() {
  auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader.Machine;
}

// The machine of Windows itself: a 32-bit process on 64-bit Windows runs under another one.
std::uint16_t NativeMachine() {
  SYSTEM_INFO system{};
  ::GetNativeSystemInfo(&system);
  switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
      return kMachineX64;
    case PROCESSOR_ARCHITECTURE_ARM64:
      return kMachineArm64;
    default:
      return kMachineX86;
  }
}

// A class's registration as one registry view holds it: the class's identifier that the
// programmatic identifier names, and its servers.
struct ViewedClass {
  bool registered = false;  // an in-process or a local server is named
  std::string in_process_server;
};

ViewedClass ReadClass(const std::string& prog_id, REGSAM view) {
  ViewedClass found;
  auto open = [&](const std::string& name) { return OpenKey(HKEY_CLASSES_ROOT, name, view); };
  UniqueKey id_key = open(prog_id + "\\CLSID");
  const std::string id = id_key ? TextValue(id_key.get(), nullptr) : std::string();
  if (id.empty()) return found;
  if (UniqueKey server = open("CLSID\\" + id + "\\InprocServer32")) {
    found.registered = true;
    found.in_process_server = TextValue(server.get(), nullptr);
  }
  if (open("CLSID\\" + id + "\\LocalServer32")) found.registered = true;
  return found;
}

}  // namespace

bool Win32Diagnostics::Elevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  UniqueHandle owner(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

// RegSvr32 hands a component of the other machine to its twin, where one exists: the machines
// that can load the component are those of every RegSvr32 on this Windows, the one that ran (the
// system folder's) among them.
LoadDiagnosis Win32Diagnostics::ExplainRegistration(const std::string& path) {
  std::vector<std::string> tools{SystemProgram(std::string(text::kRegisterCommand))};
  const SearchFolders folders = CurrentSearchFolders();
  char wow64[MAX_PATH];
  UINT length = ::GetSystemWow64DirectoryA(wow64, MAX_PATH);
  if (length > 0 && length < MAX_PATH) tools.push_back(CombinePath(wow64, "regsvr32.exe"));
  // A 32-bit process reaches the 64-bit system folder only by this name.
  if (!folders.windows.empty()) tools.push_back(folders.windows + "\\Sysnative\\regsvr32.exe");
  std::vector<std::uint16_t> machines;
  std::unique_ptr<FileReader> reader = files_.NewReader();
  for (const std::string& tool : tools) {
    if (tool.empty() || !IsFile(files_, tool)) continue;
    try {
      reader->Open(tool);
      std::optional<PeImage> image = ReadPeImage(*reader);
      if (image && std::find(machines.begin(), machines.end(), image->machine) == machines.end())
        machines.push_back(image->machine);
    } catch (const Failure&) {
    }
  }
  DllSearch search = StandardDllSearch();
  search.assemblies = &assemblies_;
  return Diagnose(files_, path, machines, search);
}

// The class is looked up in both registry views, as a 64-bit and a 32-bit host would see it. Its
// in-process server is loaded into this process: the one of this process's view, else the other
// view's. A server named without a folder is found by the loader's search for a DLL; one that is
// found nowhere is itself the missing file.
CreationDiagnosis Win32Diagnostics::ExplainCreation(const std::string& prog_id) {
  CreationDiagnosis diagnosis;
  const std::uint16_t own = OwnMachine();
  const std::uint16_t native = NativeMachine();
  diagnosis.loader_view = MachineName(own);
  struct View {
    REGSAM flag;
    std::uint16_t machine;
  };
  std::vector<View> views{{KEY_WOW64_64KEY, native}};
  if (native != kMachineX86) views.push_back({KEY_WOW64_32KEY, kMachineX86});
  std::string server;
  for (const View& view : views) {
    const ViewedClass found = ReadClass(prog_id, view.flag);
    if (!found.registered) continue;
    diagnosis.registered_for.push_back(MachineName(view.machine));
    if (server.empty() || view.machine == own) server = found.in_process_server;
  }
  server = ServerFile(files_, server);
  if (server.empty()) return diagnosis;
  DllSearch search = StandardDllSearch();
  search.assemblies = &assemblies_;
  if (server.find('\\') == std::string::npos) {
    // Loaded by its name alone, as the loader finds any DLL: the known DLLs, this exe's folder,
    // then the standard search.
    const FoundImport found = FindImport(files_, CurrentSearchFolders().exe, server, search);
    if (found.by_system) return diagnosis;  // Windows' own
    if (!found.path.empty()) server = found.path;
  }
  if (!IsFile(files_, server)) {
    diagnosis.server.missing_dependencies.push_back(server);
    return diagnosis;
  }
  diagnosis.server = Diagnose(files_, server, {own}, search);
  return diagnosis;
}

}  // namespace tarn::win32
