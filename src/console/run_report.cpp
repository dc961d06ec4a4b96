#include "console/run_report.h"

#include <utility>

#include "services/pe_image.h"
#include "services/texts.h"

namespace tarn::console {

namespace field = text::json;

namespace {

std::string_view FailureName(RegistrationFailure failure) {
  switch (failure) {
    case RegistrationFailure::kArguments:
      return field::kFailureArguments;
    case RegistrationFailure::kOle:
      return field::kFailureOle;
    case RegistrationFailure::kLoad:
      return field::kFailureLoad;
    case RegistrationFailure::kEntryPoint:
      return field::kFailureEntryPoint;
    case RegistrationFailure::kServer:
      return field::kFailureServer;
    case RegistrationFailure::kNotStarted:
      return field::kFailureNotStarted;
    case RegistrationFailure::kTimedOut:
      return field::kFailureTimedOut;
    case RegistrationFailure::kNoExitCode:
      return field::kFailureNoExitCode;
    case RegistrationFailure::kNone:
    case RegistrationFailure::kOther:
      break;
  }
  return field::kFailureOther;
}

std::string_view PlacementName(Placement placement) {
  switch (placement) {
    case Placement::kHere:
      return field::kPlacementHere;
    case Placement::kElsewhere:
      return field::kPlacementElsewhere;
    case Placement::kMissing:
      break;
  }
  return field::kPlacementMissing;
}

std::string_view StatusName(SignatureStatus status) {
  switch (status) {
    case SignatureStatus::kTrusted:
      return field::kSignatureTrusted;
    case SignatureStatus::kUntrusted:
      return field::kSignatureUntrusted;
    case SignatureStatus::kUnsigned:
      break;
  }
  return field::kSignatureUnsigned;
}

}  // namespace

RunReport::RunReport(Diagnostics& diagnostics, Options options)
    : reasons_(diagnostics), options_(std::move(options)) {}

std::string RunReport::Utf8(std::string_view text) const {
  return options_.to_utf8 ? options_.to_utf8(text) : std::string(text);
}

std::string RunReport::Local(const std::string& utf8) const {
  return options_.from_utf8 ? options_.from_utf8(utf8) : utf8;
}

std::string RunReport::DriftHead() const {
  return std::string(text::kDriftLine)
      .append(std::to_string(item_.line()))
      .append(": ")
      .append(Named(text_))
      .append(": ");
}

void RunReport::Describe(std::string_view version, std::string_view info_file, bool read_only) {
  document_[field::kTool] = field::kToolName;
  document_[field::kVersion] = version;
  document_[field::kInfoFile] = Utf8(info_file);
  document_[field::kStarted] = nullptr;
  document_[field::kReadOnly] = read_only;
  read_only_ = read_only;
}

void RunReport::CompareWith(std::string_view baseline_file) {
  baseline_file_ = baseline_file;
}

void RunReport::Message(std::string_view text) noexcept {
  try {
    messages_.push_back(Utf8(text));
  } catch (...) {
  }
}

void RunReport::Set(std::size_t slot, Json value) noexcept {
  if (Records(slot)) item_[slot] = std::move(value);
}

void RunReport::Tell(const std::vector<std::string>& lines) const {
  if (options_.tell)
    for (const std::string& line : lines) options_.tell(line);
}

void RunReport::RunBegun(const LocalDateTime& when) noexcept {
  try {
    document_[field::kStarted] = IsoTime({when, options_.utc_offset_minutes});
  } catch (...) {
  }
}

void RunReport::LineBegun(int line, std::string_view text) noexcept {
  outcome_.LineBegun(line, text);
  has_item_ = false;
  value_.clear();
  type_.clear();
  registration_.reset();
  if (!options_.json && !options_.baseline) return;
  try {
    text_ = text;
    item_.Clear();
    item_[Slot(field::kLine)] = line;
    item_[Slot(field::kKind)] = nullptr;  // set once the line has done something
    item_[Slot(field::kText)] = Utf8(text);
    has_item_ = true;
  } catch (...) {
  }
}

void RunReport::LineEnded() noexcept {
  if (!outcome_.in_line()) return;
  if (has_item_ && outcome_.acted()) {
    try {
      if (type_ == text::kTypeActiveXComponent && !Has(Slot(field::kRegistered)))
        Set(Slot(field::kRegistered), nullptr);
      if (options_.baseline) CompareItem();
      if (options_.json) {
        Set(Slot(field::kPassed), !outcome_.line_failed());
        writer_.Add(item_);
      }
    } catch (...) {
    }
  }
  has_item_ = false;
  outcome_.LineEnded();
}

void RunReport::CompareItem() {
  Baseline::Match match = options_.baseline->Compare(item_);
  if (match.found && match.differences.empty()) return;
  outcome_.Drifted();
  if (!match.found) {
    extra_.push_back({{field::kLine, item_.line()}, {field::kText, item_.text()}});
    if (options_.tell) options_.tell(DriftHead().append(text::kDriftNoSuchItem));
    return;
  }
  Set(Slot(field::kBaseline), GoodValues(match.differences));
  if (!options_.tell) return;
  for (const Difference& difference : match.differences)
    options_.tell(DriftHead().append(Local(Said(difference, item_))));
}

void RunReport::Skipped() noexcept {
  outcome_.Skipped();
  Set(Slot(field::kKind), field::kKindSkipped);
}

void RunReport::Prompted(std::string_view folder) noexcept {
  try {
    Set(Slot(field::kPrompted), folder.empty() ? Json(nullptr) : Json(Utf8(folder)));
  } catch (...) {
  }
}

void RunReport::EmptyVariable(std::string_view name) noexcept {
  outcome_.EmptyVariable(name);
  if (!has_item_) return;
  try {
    item_[Slot(field::kKind)] = field::kKindEmptyVariable;
    std::optional<Json>& names = item_[Slot(field::kVariables)];
    if (!names) names = Json::array();
    names->push_back(Utf8(name));
  } catch (...) {
  }
}

void RunReport::UnknownType(std::string_view key, std::string_view value) noexcept {
  outcome_.UnknownType(key, value);
  try {
    Set(Slot(field::kKind), field::kKindUnknownType);
    Set(Slot(field::kType), Utf8(key));
    Set(Slot(field::kValue), Utf8(value));
  } catch (...) {
  }
}

void RunReport::Action(std::string_view type, std::string_view value) noexcept {
  outcome_.Action(type, value);
  try {
    type_ = type;
    value_ = value;
    Set(Slot(field::kKind), field::kKindItem);
    Set(Slot(field::kType), type);
    if (Records(Slot(field::kValue))) Set(Slot(field::kValue), Utf8(value));
  } catch (...) {
  }
}

void RunReport::Exists(bool exists) noexcept {
  outcome_.Exists(exists);
  Set(Slot(field::kExists), exists);
  if (!exists || !options_.identify || !Records(Slot(field::kSha256))) return;
  if (type_ != text::kTypeFile && type_ != text::kTypeActiveXComponent) return;
  try {
    SetIdentity(options_.identify(value_));
  } catch (...) {
  }
}

void RunReport::SetIdentity(const FileFacts& facts) {
  if (facts.digest) {
    Set(Slot(field::kSize), facts.digest->size);
    Set(Slot(field::kSha256), facts.digest->sha256);
  }
  if (facts.image_machine) Set(Slot(field::kImageMachine), MachineName(*facts.image_machine));
  if (facts.signature) {
    const Signature& signature = *facts.signature;
    Json object = {
        {field::kSignatureStatus, StatusName(signature.status)},
        {field::kSigner, signature.signer.empty() ? Json(nullptr) : Json(Utf8(signature.signer))},
        {field::kByCatalog, signature.by_catalog}};
    if (signature.status == SignatureStatus::kUntrusted)
      object[field::kSignatureReason] = Utf8(signature.reason);
    Set(Slot(field::kSignature), std::move(object));
  }
  const std::string& failure =
      facts.digest_failure.empty() ? facts.signature_failure : facts.digest_failure;
  if (!failure.empty()) Set(Slot(field::kIdentityError), Utf8(failure));
}

void RunReport::AuditRegistration() {
  const std::optional<RegistrationAudit> audit = options_.audit(value_);
  if (!audit) return;
  Json classes = Json::array();
  Json counts = {
      {field::kPlacementHere, 0}, {field::kPlacementElsewhere, 0}, {field::kPlacementMissing, 0}};
  std::vector<std::string> lines;
  for (const PlacedClass& placed : audit->classes) {
    Json one = {{field::kClassId, placed.id}, {field::kPlacement, PlacementName(placed.placement)}};
    if (placed.placement == Placement::kElsewhere) one[field::kPlacedPath] = Utf8(placed.server);
    classes.push_back(std::move(one));
    Json& count = counts[PlacementName(placed.placement)];
    count = count.get<int>() + 1;
    if (placed.placement != Placement::kHere) lines.push_back(value_ + ": " + NotHere(placed));
  }
  Json library = {{field::kPlacement, PlacementName(audit->library)}};
  if (audit->library == Placement::kElsewhere)
    library[field::kPlacedPath] = Utf8(audit->library_file);
  Set(Slot(field::kRegistration), {{field::kCounts, std::move(counts)},
                                   {field::kClasses, std::move(classes)},
                                   {field::kTypeLibrary, std::move(library)}});
  // Only a run that registers nothing takes the audit for the answer to "is it registered".
  if (!read_only_ || lines.empty()) return;
  outcome_.Unregistered();
  Tell(lines);
}

void RunReport::Modified(const ZonedDateTime& when) noexcept {
  try {
    if (Records(Slot(field::kModified))) Set(Slot(field::kModified), IsoTime(when));
  } catch (...) {
  }
}

void RunReport::Version(std::string_view version) noexcept {
  try {
    Set(Slot(field::kVersionOfFile), version.empty() ? Json(nullptr) : Json(Utf8(version)));
  } catch (...) {
  }
}

void RunReport::TypeLibrary(std::string_view text, bool read) noexcept {
  try {
    Set(Slot(field::kTypeLibrary), read ? Json(Utf8(text)) : Json(nullptr));
    if (!read && !Has(Slot(field::kError))) Set(Slot(field::kError), Utf8(text));
    if (read && type_ == text::kTypeActiveXComponent && options_.audit &&
        (read_only_ || Records(Slot(field::kRegistration))))
      AuditRegistration();
  } catch (...) {
  }
}

void RunReport::SetLoad(const LoadDiagnosis& diagnosis, std::string_view loader_member,
                        bool as_list) {
  if (!diagnosis.file_machine.empty()) {
    const Json names = diagnosis.loader_machines;
    Set(Slot(field::kMachine), {{field::kMachineFile, diagnosis.file_machine},
                                {loader_member, as_list || names.empty() ? names : names.front()}});
  }
  auto list = [&](std::size_t slot, const std::vector<std::string>& names) {
    if (names.empty()) return;
    Json utf8 = Json::array();
    for (const std::string& name : names) utf8.push_back(Utf8(name));
    Set(slot, std::move(utf8));
  };
  list(Slot(field::kMissingDependencies), diagnosis.missing_dependencies);
  list(Slot(field::kMissingAssemblies), diagnosis.missing_assemblies);
}

void RunReport::RegistrationEnded(const ProgramEnd& end) noexcept {
  registration_ = end;
}

void RunReport::Registered(bool registered) noexcept {
  outcome_.Registered(registered);
  Set(Slot(field::kRegistered), registered);
  if (!registration_) return;  // RegSvr32 was not run: the report says why
  try {
    const RegistrationReason reason = reasons_.ForRegistration(value_, *registration_);
    SetRegistration(reason);
    Tell(reason.lines);
  } catch (...) {
  }
}

void RunReport::SetRegistration(const RegistrationReason& reason) {
  Json regsvr32 = Json::object();
  const std::string& program = reason.end.program;
  regsvr32[field::kProgram] = program.empty() ? Json(nullptr) : Json(Utf8(program));
  regsvr32[field::kExitCode] =
      reason.end.kind == ProgramEnd::Kind::kExited ? Json(reason.end.exit_code) : Json(nullptr);
  if (reason.failure != RegistrationFailure::kNone)
    regsvr32[field::kFailure] = FailureName(reason.failure);
  if (reason.failure == RegistrationFailure::kServer) regsvr32[field::kElevated] = reason.elevated;
  Set(Slot(field::kRegSvr32), std::move(regsvr32));
  SetLoad(reason.load, field::kRegSvr32, true);
}

void RunReport::Created(bool created, std::string_view description) noexcept {
  outcome_.Created(created, description);
  Set(Slot(field::kCreated), created);
  try {
    if (!created) Set(Slot(field::kError), Utf8(description));
    if (created || value_.empty()) return;  // no class to look for
    const CreationReason reason = reasons_.ForCreation(value_);
    Set(Slot(field::kRegisteredFor), reason.diagnosis.registered_for);
    SetLoad(reason.diagnosis.server, field::kMachineLoader, false);
    Tell(reason.lines);
  } catch (...) {
  }
}

void RunReport::FolderChosen(std::string_view folder) noexcept {
  outcome_.FolderChosen(folder);
  try {
    Set(Slot(field::kChosen), folder.empty() ? Json(nullptr) : Json(Utf8(folder)));
  } catch (...) {
  }
}

void RunReport::Error(std::string_view error_text) noexcept {
  outcome_.Error(error_text);
  try {
    if (!Has(Slot(field::kError))) Set(Slot(field::kError), Utf8(error_text));
  } catch (...) {
  }
}

void RunReport::RunEnded(RunEnd end) noexcept {
  LineEnded();  // a line that a failure broke off
  outcome_.RunEnded(end);
  // A stopped run never reached the rest of the good PC's items.
  if (!options_.baseline || end != RunEnd::kCompleted) return;
  try {
    for (const ItemRecord* good : options_.baseline->Unmatched()) {
      outcome_.Drifted();
      missing_.push_back({{field::kLine, good->line()}, {field::kText, good->text()}});
      if (!options_.tell) continue;
      options_.tell(std::string(text::kDriftLine)
                        .append(std::to_string(static_cast<int>(good->line())))
                        .append(text::kDriftOnGoodPc)
                        .append(Named(Local(good->text())))
                        .append(text::kDriftNotHere));
    }
  } catch (...) {
  }
}

std::string RunReport::Finish(std::string_view application, std::string_view install_folder) {
  const ExitCode code = exit_code();
  document_[field::kApplication] = Utf8(application);
  document_[field::kInstallFolder] = Utf8(install_folder);
  document_[field::kResult] = code == kStopped  ? field::kResultStopped
                              : code == kFailed ? field::kResultFailed
                                                : field::kResultPassed;
  document_[field::kExitCode] = code;
  document_[field::kSummary] = {{field::kPassedCount, outcome_.passed_count()},
                                {field::kFailedCount, outcome_.failed_count()}};
  document_[field::kItems] = Json::array();
  document_[field::kMessages] = std::move(messages_);
  if (options_.baseline) {
    Json& baseline = document_[field::kBaseline] = Json::object();
    baseline[field::kBaselineFile] = Utf8(baseline_file_);
    baseline[field::kBaselineMissing] = std::move(missing_);
    baseline[field::kBaselineExtra] = std::move(extra_);
  }
  std::string text = writer_.Finish(document_);
  messages_ = Json::array();
  document_ = Json::object();
  return text;
}

}  // namespace tarn::console
