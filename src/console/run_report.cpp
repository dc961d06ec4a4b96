#include "console/run_report.h"

#include <cstdlib>
#include <utility>

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

// A value of the report as a drift line says it, in UTF-8.
std::string Shown(const RunReport::Json& value) {
  if (value.is_null()) return std::string(text::kDriftNone);
  if (value.is_boolean()) return std::string(value.get<bool>() ? text::kDriftYes : text::kDriftNo);
  if (value.is_string()) return value.get<std::string>();
  if (!value.is_array())
    return value.dump(-1, ' ', false, RunReport::Json::error_handler_t::replace);
  std::string names;
  for (const auto& name : value)
    names.append(names.empty() ? "" : text::kReasonAnd).append(Shown(name));
  return names.empty() ? std::string(text::kDriftNone) : names;
}

// An item line as a drift line names it: its type, a space and its value.
std::string Named(std::string text) {
  const std::size_t equals = text.find('=');
  if (equals != std::string::npos) text[equals] = ' ';
  return text;
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
      .append(std::to_string(compared_.line))
      .append(": ")
      .append(Named(text_));
}

std::string RunReport::IsoTime(const ZonedDateTime& zoned) {
  // Written digit by digit: a report of many files writes a time for each.
  const LocalDateTime& when = zoned.local;
  const int offset = std::abs(zoned.utc_offset_minutes);
  std::string text = "0000-00-00T00:00:00+00:00";
  auto put = [&](std::size_t at, std::size_t width, int value) {
    for (std::size_t digit = width; digit-- > 0; value /= 10)
      text[at + digit] = static_cast<char>('0' + value % 10);
  };
  put(0, 4, when.year);
  put(5, 2, when.month);
  put(8, 2, when.day);
  put(11, 2, when.hour);
  put(14, 2, when.minute);
  put(17, 2, when.second);
  if (zoned.utc_offset_minutes < 0) text[19] = '-';
  put(20, 2, offset / 60);
  put(23, 2, offset % 60);
  return text;
}

void RunReport::Describe(std::string_view version, std::string_view info_file, bool read_only) {
  document_[field::kTool] = field::kToolName;
  document_[field::kVersion] = version;
  document_[field::kInfoFile] = Utf8(info_file);
  document_[field::kStarted] = nullptr;
  document_[field::kReadOnly] = read_only;
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

template <typename Fill>
void RunReport::OnItem(Fill&& fill) noexcept {
  if (!has_item_ || !options_.json) return;
  try {
    fill(item_);
  } catch (...) {
  }
}

void RunReport::Put(Baseline::Field field, Json value) noexcept {
  if (!has_item_) return;
  try {
    if (!options_.json) {
      compared_.fields[field] = std::move(value);
      return;
    }
    if (options_.baseline) compared_.fields[field] = value;
    item_[Baseline::Name(field)] = std::move(value);
  } catch (...) {
  }
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
    std::string utf8 = Utf8(text);
    if (options_.json) {
      // One object for every line, which keeps its room for the fields from line to line.
      item_.clear();
      item_[field::kLine] = line;
      item_[field::kKind] = nullptr;  // set once the line has done something
      item_[field::kText] = options_.baseline ? utf8 : std::move(utf8);
    }
    if (options_.baseline) {
      compared_.Clear();
      compared_.line = static_cast<std::uint64_t>(line);
      compared_.text = std::move(utf8);
    }
    has_item_ = true;
  } catch (...) {
  }
}

void RunReport::LineEnded() noexcept {
  if (!outcome_.in_line()) return;
  if (has_item_ && outcome_.acted()) {
    try {
      const bool registered = options_.baseline
                                  ? compared_.fields[Baseline::kRegistered].has_value()
                                  : item_.contains(field::kRegistered);
      if (type_ == text::kTypeActiveXComponent && !registered) Put(Baseline::kRegistered, nullptr);
      if (options_.baseline) CompareItem();
      if (options_.json) {
        item_[field::kPassed] = !outcome_.line_failed();
        writer_.Add(item_);
      }
    } catch (...) {
    }
  }
  has_item_ = false;
  outcome_.LineEnded();
}

void RunReport::CompareItem() {
  Baseline::Match match = options_.baseline->Compare(compared_);
  if (match.found && match.differences.empty()) return;
  outcome_.Drifted();
  if (!match.found) {
    extra_.push_back({{field::kLine, compared_.line}, {field::kText, compared_.text}});
    if (options_.tell) options_.tell(DriftHead().append(text::kDriftNoSuchItem));
    return;
  }
  if (options_.json) item_[field::kBaseline] = Baseline::GoodValues(match.differences);
  TellDrift(match.differences);
}

void RunReport::TellDrift(const std::vector<Baseline::Difference>& differences) {
  if (!options_.tell) return;
  const std::string head = DriftHead().append(": ");
  for (const Baseline::Difference& difference : differences) {
    options_.tell(std::string(head)
                      .append(difference.field)
                      .append(" ")
                      .append(Local(Shown(difference.here)))
                      .append(text::kDriftGoodHas)
                      .append(Local(Shown(difference.good))));
  }
}

void RunReport::Skipped() noexcept {
  outcome_.Skipped();
  OnItem([&](Json& item) { item[field::kKind] = field::kKindSkipped; });
}

void RunReport::Prompted(std::string_view folder) noexcept {
  OnItem([&](Json& item) {
    item[field::kPrompted] = folder.empty() ? Json(nullptr) : Json(Utf8(folder));
  });
}

void RunReport::EmptyVariable(std::string_view name) noexcept {
  outcome_.EmptyVariable(name);
  OnItem([&](Json& item) {
    item[field::kKind] = field::kKindEmptyVariable;
    item[field::kVariables].push_back(Utf8(name));
  });
}

void RunReport::UnknownType(std::string_view key, std::string_view value) noexcept {
  outcome_.UnknownType(key, value);
  OnItem([&](Json& item) {
    item[field::kKind] = field::kKindUnknownType;
    item[field::kType] = Utf8(key);
    item[field::kValue] = Utf8(value);
  });
}

void RunReport::Action(std::string_view type, std::string_view value) noexcept {
  outcome_.Action(type, value);
  try {
    type_ = type;
    value_ = value;
  } catch (...) {
  }
  OnItem([&](Json& item) {
    item[field::kKind] = field::kKindItem;
    item[field::kType] = type;
    item[field::kValue] = Utf8(value);
  });
}

void RunReport::Exists(bool exists) noexcept {
  outcome_.Exists(exists);
  Put(Baseline::kExists, exists);
}

void RunReport::Modified(const ZonedDateTime& when) noexcept {
  OnItem([&](Json& item) { item[field::kModified] = IsoTime(when); });
}

void RunReport::Version(std::string_view version) noexcept {
  if (!has_item_) return;
  try {
    Put(Baseline::kVersionOfFile, version.empty() ? Json(nullptr) : Json(Utf8(version)));
  } catch (...) {
  }
}

void RunReport::TypeLibrary(std::string_view text, bool read) noexcept {
  if (!has_item_) return;
  try {
    Put(Baseline::kTypeLibrary, read ? Json(Utf8(text)) : Json(nullptr));
  } catch (...) {
  }
  OnItem([&](Json& item) {
    if (!read && !item.contains(field::kError)) item[field::kError] = Utf8(text);
  });
}

void RunReport::PutLoad(const LoadDiagnosis& diagnosis, std::string_view loader_field,
                        bool as_list) {
  if (!diagnosis.file_machine.empty()) {
    const Json names = diagnosis.loader_machines;
    Put(Baseline::kMachine, {{field::kMachineFile, diagnosis.file_machine},
                             {loader_field, as_list || names.empty() ? names : names.front()}});
  }
  if (!diagnosis.missing_dependencies.empty()) {
    Json missing = Json::array();
    for (const std::string& dll : diagnosis.missing_dependencies) missing.push_back(Utf8(dll));
    Put(Baseline::kMissingDependencies, std::move(missing));
  }
  if (!diagnosis.missing_assemblies.empty()) {
    OnItem([&](Json& item) {
      Json& missing = item[field::kMissingAssemblies] = Json::array();
      for (const std::string& name : diagnosis.missing_assemblies) missing.push_back(Utf8(name));
    });
  }
}

void RunReport::RegistrationEnded(const ProgramEnd& end) noexcept {
  registration_ = end;
}

void RunReport::Registered(bool registered) noexcept {
  outcome_.Registered(registered);
  Put(Baseline::kRegistered, registered);
  if (!registration_) return;  // RegSvr32 was not run: the report says why
  try {
    const RegistrationReason reason = reasons_.ForRegistration(value_, *registration_);
    PutRegistration(reason);
    Tell(reason.lines);
  } catch (...) {
  }
}

void RunReport::PutRegistration(const RegistrationReason& reason) {
  OnItem([&](Json& item) {
    Json& regsvr32 = item[field::kRegSvr32] = Json::object();
    const std::string& program = reason.end.program;
    regsvr32[field::kProgram] = program.empty() ? Json(nullptr) : Json(Utf8(program));
    regsvr32[field::kExitCode] =
        reason.end.kind == ProgramEnd::Kind::kExited ? Json(reason.end.exit_code) : Json(nullptr);
    if (reason.failure != RegistrationFailure::kNone)
      regsvr32[field::kFailure] = FailureName(reason.failure);
    if (reason.failure == RegistrationFailure::kServer)
      regsvr32[field::kElevated] = reason.elevated;
  });
  if (has_item_ && options_.baseline) {
    compared_.regsvr32 = true;
    compared_.failure = reason.failure == RegistrationFailure::kNone
                            ? Json(nullptr)
                            : Json(FailureName(reason.failure));
  }
  PutLoad(reason.load, field::kRegSvr32, true);
}

void RunReport::Created(bool created, std::string_view description) noexcept {
  outcome_.Created(created, description);
  Put(Baseline::kCreated, created);
  OnItem([&](Json& item) {
    if (!created) item[field::kError] = Utf8(description);
  });
  if (created || value_.empty()) return;  // no class to look for
  try {
    const CreationReason reason = reasons_.ForCreation(value_);
    Put(Baseline::kRegisteredFor, reason.diagnosis.registered_for);
    PutLoad(reason.diagnosis.server, field::kMachineLoader, false);
    Tell(reason.lines);
  } catch (...) {
  }
}

void RunReport::FolderChosen(std::string_view folder) noexcept {
  outcome_.FolderChosen(folder);
  OnItem([&](Json& item) {
    item[field::kChosen] = folder.empty() ? Json(nullptr) : Json(Utf8(folder));
  });
}

void RunReport::Error(std::string_view error_text) noexcept {
  outcome_.Error(error_text);
  OnItem([&](Json& item) {
    if (!item.contains(field::kError)) item[field::kError] = Utf8(error_text);
  });
}

void RunReport::RunEnded(RunEnd end) noexcept {
  LineEnded();  // a line that a failure broke off
  outcome_.RunEnded(end);
  // A stopped run never reached the rest of the good PC's items.
  if (!options_.baseline || end != RunEnd::kCompleted) return;
  try {
    for (const Baseline::Item* good : options_.baseline->Unmatched()) {
      outcome_.Drifted();
      missing_.push_back({{field::kLine, good->line}, {field::kText, good->text}});
      if (!options_.tell) continue;
      options_.tell(std::string(text::kDriftLine)
                        .append(std::to_string(static_cast<int>(good->line)))
                        .append(text::kDriftOnGoodPc)
                        .append(Named(Local(good->text)))
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
