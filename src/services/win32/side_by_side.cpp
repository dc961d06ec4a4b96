#include "services/win32/side_by_side.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "services/ascii_case.h"
#include "services/paths.h"
#include "services/win32/code_page.h"
#include "services/win32/handles.h"

namespace tarn::win32 {
namespace {

// The manifest resource that the loader reads for an image: ID 2 for a DLL; a program's own
// imports follow ID 1, which the system reads when it starts the program.
constexpr WORD kDllManifest = 2;
constexpr WORD kProgramManifest = 1;

struct Manifest {
  WORD id = 0;
  std::string text;
};

// The image's manifest resource, read without running any of its code; nothing when it has none.
std::optional<Manifest> ReadManifest(const std::string& path) {
  UniqueModule image(::LoadLibraryExW(Wide(path).c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!image) return std::nullopt;
  const bool program = path.size() > 4 && EqualNoCase(path.substr(path.size() - 4), ".exe");
  for (const WORD id : {kDllManifest, kProgramManifest}) {
    if (id == kProgramManifest && !program) break;
    HRSRC found = ::FindResourceW(image.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = found ? ::LoadResource(image.get(), found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) continue;
    return Manifest{
        id, std::string(static_cast<const char*>(bytes), ::SizeofResource(image.get(), found))};
  }
  return std::nullopt;
}

// The context made active on this thread for as long as it lives, so that the section search
// sees it first.
class Activation {
 public:
  explicit Activation(HANDLE context) {
    if (!::ActivateActCtx(context, &cookie_)) cookie_ = 0;
  }
  Activation(const Activation&) = delete;
  Activation& operator=(const Activation&) = delete;
  ~Activation() {
    if (cookie_ != 0) ::DeactivateActCtx(0, cookie_);
  }
  explicit operator bool() const { return cookie_ != 0; }

 private:
  ULONG_PTR cookie_ = 0;
};

// The folder of an assembly's files: a shared assembly's manifest lies in the store's Manifests
// folder, its files in the store's folder of the assembly's directory name; a private
// assembly's files lie beside its manifest.
std::string AssemblyFolder(const std::string& manifest, const std::string& directory) {
  const std::string folder = GetFilePathOnly(manifest);
  const std::size_t slash = folder.rfind('\\');
  const bool in_store = !directory.empty() && slash != std::string::npos &&
                        EqualNoCase(std::string_view(folder).substr(slash + 1), "manifests");
  return in_store ? CombinePath(folder.substr(0, slash), directory) : folder;
}

std::string Text(const wchar_t* wide) {
  return wide ? Narrow(wide, static_cast<int>(::lstrlenW(wide))) : std::string();
}

// The assembly of the context that serves `dll`; nothing when the context redirects no DLL of
// that name, or only the process's own context does.
std::optional<AssemblyDll> Serving(HANDLE context, const std::string& dll) {
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  if (!::FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                  ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, Wide(dll).c_str(),
                                  &data))
    return std::nullopt;
  UniqueActCtx owner(data.hActCtx ? data.hActCtx : INVALID_HANDLE_VALUE);
  if (data.hActCtx != context) return std::nullopt;
  DWORD index = data.ulAssemblyRosterIndex;
  SIZE_T size = 0;
  ::QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0,
                 &size);
  if (size < sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION)) return std::nullopt;
  std::string buffer(size, '\0');
  if (!::QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext,
                      buffer.data(), size, &size))
    return std::nullopt;
  const auto* info =
      reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
  AssemblyDll served;
  served.dll = dll;
  served.assembly = EncodedAssemblyTitle(Text(info->lpAssemblyEncodedAssemblyIdentity));
  served.manifest = Text(info->lpAssemblyManifestPath);
  served.path =
      CombinePath(AssemblyFolder(served.manifest, Text(info->lpAssemblyDirectoryName)), dll);
  return served;
}

}  // namespace

// The context is made as the loader makes it for the image, private assemblies probed for in the
// image's own folder: Windows probes in the assembly directory; Wine ignores that and probes in
// the folder given as the application's name, so a context that cannot be made is asked for once
// more with that name.
ImageAssemblies Win32Assemblies::Resolve(const std::string& path,
                                         const std::vector<std::string>& imports) {
  ImageAssemblies found;
  const std::optional<Manifest> manifest = ReadManifest(path);
  if (!manifest) return found;
  std::vector<std::string> depends = DependentAssemblies(manifest->text);
  if (depends.empty()) return found;
  const std::wstring source = Wide(path);
  const std::wstring folder = Wide(GetFilePathOnly(path));
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
  request.lpSource = source.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(manifest->id);
  request.lpAssemblyDirectory = folder.c_str();
  UniqueActCtx context(::CreateActCtxW(&request));
  if (!context) {
    request.dwFlags |= ACTCTX_FLAG_APPLICATION_NAME_VALID;
    request.lpApplicationName = folder.c_str();
    context.reset(::CreateActCtxW(&request));
  }
  if (!context) {
    found.missing = std::move(depends);
    return found;
  }
  const Activation active(context.get());
  if (!active) return found;
  for (const std::string& dll : imports) {
    if (std::optional<AssemblyDll> served = Serving(context.get(), dll))
      found.served.push_back(std::move(*served));
  }
  return found;
}

}  // namespace tarn::win32
