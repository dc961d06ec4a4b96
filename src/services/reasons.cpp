#include "services/reasons.h"

#include <algorithm>
#include <initializer_list>

#include "services/texts.h"

namespace tarn {
namespace {

std::string Line(std::string_view value, std::initializer_list<std::string_view> parts) {
  std::string line(value);
  for (std::string_view part : parts) line.append(part);
  return line;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names)
    joined.append(joined.empty() ? "" : text::kReasonAnd).append(name);
  return joined;
}

void ExplainLoad(std::string_view value, const LoadDiagnosis& diagnosis,
                 std::string_view loader_text, std::vector<std::string>& lines) {
  if (!diagnosis.file_machine.empty()) {
    lines.push_back(Line(value, {text::kReasonFileIsFor, diagnosis.file_machine, loader_text,
                                 Joined(diagnosis.loader_machines)}));
  }
  for (const std::string& assembly : diagnosis.missing_assemblies)
    lines.push_back(Line(value, {text::kReasonNeedsAssembly, assembly, text::kReasonNotFound}));
  for (const std::string& dll : diagnosis.missing_dependencies)
    lines.push_back(Line(value, {text::kReasonImports, dll, text::kReasonNotFound}));
}

}  // namespace

RegistrationReason Reasons::ForRegistration(const std::string& path, const ProgramEnd& end) {
  using enum RegistrationFailure;
  RegistrationReason reason;
  reason.failure = RegistrationFailureOf(end);
  reason.end = end;
  reason.elevated = reason.failure == kServer && diagnostics_.Elevated();
  const std::string prefix =
      ": " + (end.program.empty() ? std::string(text::kRegSvr32) : end.program);
  auto say = [&](std::initializer_list<std::string_view> parts) {
    reason.lines.push_back(Line(path, parts));
  };
  switch (reason.failure) {
    case kNone:
      break;
    case kArguments:
      say({prefix, text::kReasonArguments});
      break;
    case kOle:
      say({prefix, text::kReasonOle});
      break;
    case kLoad:
      say({prefix, text::kReasonLoad});
      reason.load = diagnostics_.ExplainRegistration(path);
      ExplainLoad(path, reason.load, text::kReasonRegSvr32Only, reason.lines);
      break;
    case kEntryPoint:
      say({prefix, text::kReasonEntryPoint});
      break;
    case kServer:
      say({text::kReasonServer,
           reason.elevated ? text::kReasonElevated : text::kReasonNotElevated});
      break;
    case kNotStarted:
      say({text::kReasonNotStarted});
      break;
    case kTimedOut:
      say({prefix, text::kReasonTimedOut});
      break;
    case kNoExitCode:
      say({prefix, text::kReasonNoExitCode});
      break;
    case kOther:
      say({prefix, text::kReasonOther, std::to_string(end.exit_code)});
      break;
  }
  return reason;
}

CreationReason Reasons::ForCreation(const std::string& prog_id) {
  CreationReason reason{diagnostics_.ExplainCreation(prog_id), {}};
  const CreationDiagnosis& found = reason.diagnosis;
  const auto& views = found.registered_for;
  if (views.empty()) {
    reason.lines.push_back(Line(prog_id, {text::kReasonNoClass}));
  } else if (!found.loader_view.empty() &&
             std::find(views.begin(), views.end(), found.loader_view) == views.end()) {
    reason.lines.push_back(Line(prog_id, {text::kReasonRegisteredFor, Joined(views),
                                          text::kReasonLoaderIsFor, found.loader_view}));
  }
  ExplainLoad(prog_id, found.server, text::kReasonLoaderIsFor, reason.lines);
  return reason;
}

}  // namespace tarn
