#include "services/class_placement.h"

#include "services/load_diagnosis.h"

namespace tarn {

std::vector<PlacedClass> ClassPlacement::Of(const std::vector<std::string>& classes,
                                            const std::string& component, std::uint16_t machine) {
  const RegistryView view = loader_.ViewOf(machine);
  std::vector<PlacedClass> placed;
  for (const std::string& id : classes) {
    const RegisteredClass registered = read_(id, view);
    const std::string& value = registered.in_process_server.empty() ? registered.local_server
                                                                    : registered.in_process_server;
    PlacedClass found{id, Placement::kMissing, {}};
    if (!value.empty()) {
      found.server = ServerFile(files_, value);
      // A file in the system folder is the one that machine's programs load from theirs.
      found.placement = identity_.SameFile(loader_.ReadableFor(found.server, machine), component)
                            ? Placement::kHere
                            : Placement::kElsewhere;
    }
    placed.push_back(std::move(found));
  }
  return placed;
}

}  // namespace tarn
