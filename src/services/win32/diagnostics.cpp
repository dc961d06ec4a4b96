#include "services/win32/diagnostics.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>

#include "services/load_diagnosis.h"
#include "services/loader_view.h"
#include "services/paths.h"
#include "services/pe_image.h"
#include "services/texts.h"
#include "services/win32/handles.h"
#include "services/win32/registry.h"
#include "services/win32/search_order.h"

namespace tarn::win32 {
namespace {

// The servers of the class that the programmatic identifier names in `view`.
ClassServers ReadClass(const std::string& prog_id, const LoaderView& loader, RegistryView view) {
  UniqueKey id_key = OpenKey(HKEY_CLASSES_ROOT, prog_id + "\\CLSID", RegistryFlag(view));
  const std::string id = id_key ? TextValue(id_key.get(), nullptr) : std::string();
  if (id.empty()) return {};
  return ReadServers(HKEY_CLASSES_ROOT, "CLSID\\" + id, RegistryFlag(view), loader, view);
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
// system folder's) among them. The component's imports are looked for as the loader of its own
// machine looks for them.
LoadDiagnosis Win32Diagnostics::ExplainRegistration(const std::string& path) {
  const LoaderView loader(facts_);
  std::vector<std::string> tools{SystemProgram(std::string(text::kRegisterCommand))};
  for (const std::uint16_t machine : {kMachineX86, loader.MachineOf(RegistryView::k64Bit)})
    tools.push_back(CombinePath(loader.SystemFolderFor(machine), "regsvr32.exe"));
  std::vector<std::uint16_t> machines;
  for (const std::string& tool : tools) {
    if (tool.empty() || !IsFile(files_, tool)) continue;
    const std::optional<std::uint16_t> machine = ImageMachine(files_, tool);
    if (machine && std::find(machines.begin(), machines.end(), *machine) == machines.end())
      machines.push_back(*machine);
  }
  const std::uint16_t own = ImageMachine(files_, path).value_or(loader.ProcessMachine());
  DllSearch search = loader.SearchFor(own);
  search.assemblies = &assemblies_;
  return Diagnose(files_, path, machines, search);
}

// The class is looked up in both registry views, as a 64-bit and a 32-bit host would see it. Its
// in-process server is loaded into this process: the one of this process's view, else the other
// view's, read as that view's programs read it (their program files, their system folder). A
// server named without a folder is found by the loader's search for a DLL; one that is found
// nowhere is itself the missing file.
CreationDiagnosis Win32Diagnostics::ExplainCreation(const std::string& prog_id) {
  CreationDiagnosis diagnosis;
  const LoaderView loader(facts_);
  const std::uint16_t own = loader.ProcessMachine();
  diagnosis.loader_view = MachineName(own);
  std::vector<RegistryView> views{RegistryView::k64Bit};
  if (loader.MachineOf(RegistryView::k64Bit) != kMachineX86) views.push_back(RegistryView::k32Bit);
  std::string server;
  std::uint16_t server_machine = own;
  for (const RegistryView view : views) {
    const ClassServers found = ReadClass(prog_id, loader, view);
    if (!found.any()) continue;
    const std::uint16_t machine = loader.MachineOf(view);
    diagnosis.registered_for.push_back(MachineName(machine));
    if (server.empty() || machine == own) {
      server = found.in_process;
      server_machine = machine;
    }
  }
  server = ServerFile(files_, server);
  if (server.empty()) return diagnosis;
  server = loader.ReadableFor(server, server_machine);
  DllSearch search = loader.SearchFor(server_machine);
  search.assemblies = &assemblies_;
  if (server.find('\\') == std::string::npos) {
    // Loaded by its name alone, as the loader finds any DLL: the known DLLs, this exe's folder,
    // then the standard search.
    const FoundImport found = FindImport(files_, OwnExeFolder(), server, search);
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
