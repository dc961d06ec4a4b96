// A read-only audit of a component's registration: where the registry sends a client of each
// class that the component's type library describes, and where it files the library itself. It
// reads the registry as it is, before any registration of this run, and registers nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "services/class_placement.h"
#include "services/platform.h"

namespace tarn {

struct RegistrationAudit {
  std::vector<PlacedClass> classes;
  // The type library's registration in the same registry view: its file, and whether that is the
  // component's own file.
  Placement library = Placement::kMissing;
  std::string library_file;
};

// How a class that is not here is said: "class {...} is registered to FILE" or "class {...} is
// not registered"; empty text for one that is here.
std::string NotHere(const PlacedClass& placed);

class RegistrationAuditor {
 public:
  RegistrationAuditor(FileSystem& files, Com& com, ClassPlacement& classes,
                      TypeLibRegistry& libraries, PathIdentity& identity, const LoaderView& loader)
      : files_(files),
        com_(com),
        classes_(classes),
        libraries_(libraries),
        identity_(identity),
        loader_(loader) {}

  // The audit in the registry view of the component's machine (this process's for a file that is
  // no image); nothing when its type library cannot be read. Throws a Failure of the platform.
  std::optional<RegistrationAudit> Audit(const std::string& component);

 private:
  FileSystem& files_;
  Com& com_;
  ClassPlacement& classes_;
  TypeLibRegistry& libraries_;
  PathIdentity& identity_;
  const LoaderView& loader_;
};

}  // namespace tarn
