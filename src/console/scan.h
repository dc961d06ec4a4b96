// The console edition's /scan: the info file of an application installed in a folder, taken on
// a PC where it works, so that the same checks can run on any other.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/failure.h"
#include "services/loader_view.h"
#include "services/platform.h"
#include "services/registration_audit.h"
#include "services/side_by_side.h"

namespace tarn::console {

// What the scan reads of the PC: files, the clock, the special folders behind the info
// file's variables, the classes of the registry, what COM reads of a class without creating it
// (its type information), and what the loader of each image's machine sees: its search for
// imported DLLs and which of them are Windows' own, and the side-by-side assemblies that an
// image's manifest names (none when null).
struct ScanSources {
  FileSystem& files;
  Desktop& desktop;
  Shell& shell;
  Reporter& reporter;
  ClassRegistry& classes;
  Com& com;
  const LoaderView& loader;
  Assemblies* assemblies = nullptr;
  // The registration of a component that registers itself, as a read-only run audits it; without
  // it every such component is written as one.
  std::function<std::optional<RegistrationAudit>(const std::string& component)> audit = {};
};

// A file or folder that the scan could not read, and the system's reason.
struct Unread {
  std::string path;
  std::string reason;
};

struct ScannedInfoFile {
  std::string text;            // the info file, every line ended with CR LF
  std::size_t left_out = 0;    // the images that did not fit into an info file's lines
  std::vector<Unread> unread;  // full paths, sorted; each named on standard error
};

// `folder` is a full path without a trailing backslash.
ScannedInfoFile ScanFolder(ScanSources& sources, const std::string& folder);

}  // namespace tarn::console
