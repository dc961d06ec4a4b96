#include "console/scan_assemblies.h"

#include "script/variables.h"
#include "services/ascii_case.h"
#include "services/paths.h"
#include "services/texts.h"

namespace tarn::console {
AssemblyScan::AssemblyScan(Assemblies* assemblies, const std::string& folder)
    : assemblies_(assemblies), folder_(folder) {}

void AssemblyScan::Add(const std::string& relative, const std::vector<std::string>& imports) {
  if (!assemblies_ || imports.empty()) return;
  const std::string path = CombinePath(folder_, relative);
  const ImageAssemblies found = assemblies_->Resolve(path, imports);
  const std::string own = GetFilePathOnly(path);
  for (const AssemblyDll& served : found.served) {
    served_.insert(AsciiLower(own + '\\' + served.dll));
    dlls_[served.assembly].insert(served.path);
    // The folder's images are checked already; an assembly's manifest is no image.
    if (!IsBelow(served.path, folder_)) files_[served.assembly].insert(served.path);
    if (!served.manifest.empty() && served.manifest != served.path)
      files_[served.assembly].insert(served.manifest);
  }
  for (const std::string& assembly : found.missing) missing_.emplace(assembly, path);
}

std::string AssemblyScan::Below(const std::string& path) const {
  const std::string install = MakeVariableToken(text::kVariableInstallFolder);
  return IsBelow(path, folder_) ? install + path.substr(folder_.size()) : path;
}

std::vector<std::string> AssemblyScan::Lines(
    const std::function<std::string(const std::string&)>& write) const {
  auto named = [&](const std::string& path) {
    return IsBelow(path, folder_) ? Below(path) : write(path);
  };
  std::vector<std::string> lines;
  for (const auto& [assembly, dlls] : dlls_) {
    for (const std::string& dll : dlls) {
      lines.push_back(std::string(text::kScanAssemblyComment) + assembly +
                      std::string(text::kScanAssemblyFile) + named(dll));
    }
    const auto files = files_.find(assembly);
    if (files == files_.end()) continue;
    for (const std::string& file : files->second) {
      const std::string written = named(file);
      if (written != file) lines.push_back(std::string(text::kTypeFile) + "=" + written);
    }
  }
  for (const auto& [assembly, image] : missing_) {
    lines.push_back(std::string(text::kScanAssemblyMissingComment) + assembly +
                    std::string(text::kScanAssemblyNamedBy) + Below(image));
  }
  return lines;
}

}  // namespace tarn::console
