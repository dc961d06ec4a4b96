// The reasons behind a failed registration or creation, as facts and as the lines that say them:
// what RegSvr32's exit code means, which RegSvr32 ran, and what Diagnostics finds in the file or
// the registry. Asked only after a failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/diagnostics.h"

namespace tarn {

struct RegistrationReason {
  RegistrationFailure failure = RegistrationFailure::kNone;
  ProgramEnd end;         // its `program` the RegSvr32 that ran; empty when none was found
  bool elevated = false;  // only asked when DllRegisterServer failed
  LoadDiagnosis load;     // only with a file that could not be loaded
  std::vector<std::string> lines;
};

struct CreationReason {
  CreationDiagnosis diagnosis;
  std::vector<std::string> lines;
};

class Reasons {
 public:
  explicit Reasons(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

  // Each line begins with `path` (or `prog_id`), the value of the item line, as the report shows
  // it.
  RegistrationReason ForRegistration(const std::string& path, const ProgramEnd& end);
  CreationReason ForCreation(const std::string& prog_id);

 private:
  Diagnostics& diagnostics_;
};

}  // namespace tarn
