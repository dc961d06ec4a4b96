#include "services/registration_audit.h"

#include <memory>

#include "services/load_diagnosis.h"
#include "services/texts.h"

namespace tarn {

std::string NotHere(const PlacedClass& placed) {
  if (placed.placement == Placement::kHere) return {};
  std::string said = std::string(text::kPlacedClass).append(placed.id);
  if (placed.placement == Placement::kElsewhere)
    return said.append(text::kReasonRegisteredTo).append(placed.server);
  return said.append(text::kReasonNotRegistered);
}

std::optional<RegistrationAudit> RegistrationAuditor::Audit(const std::string& component) {
  std::vector<std::string> ids;
  TypeLibraryAttributes library;
  try {
    std::unique_ptr<TypeLibReader> reader = com_.NewTypeLibReader();
    if (!reader) return std::nullopt;
    reader->SetFile(component);
    ids = reader->Classes();
    library = reader->Attributes();
  } catch (const Failure&) {
    return std::nullopt;  // the check itself says why the library could not be read
  }
  const std::uint16_t machine = ImageMachine(files_, component).value_or(loader_.ProcessMachine());
  RegistrationAudit audit;
  audit.classes = classes_.Of(ids, component, machine);
  audit.library_file = libraries_.RegisteredFile(library, machine);
  if (!audit.library_file.empty())
    audit.library = identity_.SameFile(loader_.ReadableFor(audit.library_file, machine), component)
                        ? Placement::kHere
                        : Placement::kElsewhere;
  return audit;
}

}  // namespace tarn
