// Where the registry sends a client of each class that a component's type library describes: to
// this very file, to another file, or nowhere. Reads the registry as it is, registers nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "services/loader_view.h"
#include "services/platform.h"

namespace tarn {

enum class Placement { kHere, kElsewhere, kMissing };

struct PlacedClass {
  std::string id;
  Placement placement = Placement::kMissing;
  std::string server;  // the file its registration names, as written; empty when missing
};

// A class of one registry view by its identifier: its server values, environment strings expanded
// as that view's programs expand them, empty where it names none.
using ClassReader = std::function<RegisteredClass(const std::string& id, RegistryView view)>;

class ClassPlacement {
 public:
  ClassPlacement(ClassReader read, const LoaderView& loader, FileSystem& files,
                 PathIdentity& identity)
      : read_(std::move(read)), loader_(loader), files_(files), identity_(identity) {}

  // Each class as the registry view of `machine`'s programs registers it: its in-process server,
  // else its local server, read as the system reads a server value; `here` when that file is the
  // component's file, compared as the files themselves, not as the names are spelt.
  std::vector<PlacedClass> Of(const std::vector<std::string>& classes, const std::string& component,
                              std::uint16_t machine);

 private:
  ClassReader read_;
  const LoaderView& loader_;
  FileSystem& files_;
  PathIdentity& identity_;
};

}  // namespace tarn
