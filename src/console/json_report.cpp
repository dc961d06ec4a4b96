#include "console/json_report.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "services/texts.h"

namespace tarn::console {

namespace field = text::json;

namespace {

constexpr int kIndent = 2;

std::string Dump(const JsonReport::Json& value) {
  return value.dump(kIndent, ' ', false, JsonReport::Json::error_handler_t::replace);
}

// The line on which the library writes the document's items, an empty array until they are put
// in, and the array's opening without its close.
std::string ItemsLine(std::string_view array) {
  std::string line = "\n" + std::string(kIndent, ' ') + "\"";
  return line.append(field::kItems).append("\": ").append(array);
}

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
    case RegistrationFailure::kNone:
    case RegistrationFailure::kOther:
      break;
  }
  return field::kFailureOther;
}

constexpr std::string_view kItemIndent = "    ";  // an item's depth in the document
static_assert(kItemIndent.size() == 2 * kIndent);

}  // namespace

JsonReport::JsonReport(Diagnostics& diagnostics,
                       std::function<std::string(std::string_view)> to_utf8,
                       std::function<void(std::string_view)> tell, int utc_offset_minutes,
                       bool keep_items)
    : diagnostics_(diagnostics),
      to_utf8_(std::move(to_utf8)),
      tell_(std::move(tell)),
      utc_offset_minutes_(utc_offset_minutes),
      keep_items_(keep_items),
      item_writer_(nlohmann::detail::output_adapter<char>(items_text_), ' ',
                   Json::error_handler_t::replace) {}

std::string JsonReport::Utf8(std::string_view text) const {
  return to_utf8_ ? to_utf8_(text) : std::string(text);
}

std::string JsonReport::IsoTime(const LocalDateTime& when) const {
  // Written digit by digit: a report of many files writes a time for each.
  const int offset = std::abs(utc_offset_minutes_);
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
  if (utc_offset_minutes_ < 0) text[19] = '-';
  put(20, 2, offset / 60);
  put(23, 2, offset % 60);
  return text;
}

void JsonReport::Describe(std::string_view version, std::string_view info_file, bool read_only) {
  document_[field::kTool] = field::kToolName;
  document_[field::kVersion] = version;
  document_[field::kInfoFile] = Utf8(info_file);
  document_[field::kStarted] = nullptr;
  document_[field::kReadOnly] = read_only;
}

void JsonReport::Message(std::string_view text) noexcept {
  try {
    messages_.push_back(Utf8(text));
  } catch (...) {
  }
}

template <typename Fill>
void JsonReport::OnItem(Fill&& fill) noexcept {
  if (!has_item_) return;
  try {
    fill(item_);
  } catch (...) {
  }
}

void JsonReport::RunBegun(const LocalDateTime& when) noexcept {
  try {
    document_[field::kStarted] = IsoTime(when);
  } catch (...) {
  }
}

void JsonReport::LineBegun(int line, std::string_view text) noexcept {
  has_item_ = false;
  in_line_ = true;
  failed_ = did_something_ = false;
  value_.clear();
  type_.clear();
  registration_.reset();
  if (!keep_items_) return;
  try {
    // One object for every line, which keeps its room for the fields from line to line.
    item_.clear();
    item_[field::kLine] = line;
    item_[field::kKind] = nullptr;  // set once the line has done something
    item_[field::kText] = Utf8(text);
    has_item_ = true;
  } catch (...) {
  }
}

void JsonReport::LineEnded() noexcept {
  if (!in_line_) return;
  in_line_ = false;
  if (did_something_) ++(failed_ ? failed_count_ : passed_count_);
  if (!has_item_ || !did_something_) return;
  has_item_ = false;
  const std::size_t items_end = items_text_.size();
  try {
    if (type_ == text::kTypeActiveXComponent && !item_.contains(field::kRegistered))
      item_[field::kRegistered] = nullptr;
    item_[field::kPassed] = !failed_;
    items_text_.append(items_text_.empty() ? "\n" : ",\n").append(kItemIndent);
    item_writer_.dump(item_, true, false, kIndent, kItemIndent.size());
  } catch (...) {
    items_text_.resize(items_end);  // the item is lost, not the document
  }
}

void JsonReport::Skipped() noexcept {
  failed_ = did_something_ = true;
  OnItem([&](Json& item) { item[field::kKind] = field::kKindSkipped; });
}

void JsonReport::Prompted(std::string_view folder) noexcept {
  OnItem([&](Json& item) {
    item[field::kPrompted] = folder.empty() ? Json(nullptr) : Json(Utf8(folder));
  });
}

void JsonReport::EmptyVariable(std::string_view name) noexcept {
  failed_ = did_something_ = true;
  OnItem([&](Json& item) {
    item[field::kKind] = field::kKindEmptyVariable;
    item[field::kVariables].push_back(Utf8(name));
  });
}

void JsonReport::UnknownType(std::string_view key, std::string_view value) noexcept {
  failed_ = did_something_ = true;
  OnItem([&](Json& item) {
    item[field::kKind] = field::kKindUnknownType;
    item[field::kType] = Utf8(key);
    item[field::kValue] = Utf8(value);
  });
}

void JsonReport::Action(std::string_view type, std::string_view value) noexcept {
  did_something_ = true;
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

void JsonReport::Exists(bool exists) noexcept {
  // An install folder that is missing may still be chosen; a file that is missing has failed.
  if (!exists) failed_ = true;
  OnItem([&](Json& item) { item[field::kExists] = exists; });
}

void JsonReport::Modified(const LocalDateTime& when) noexcept {
  OnItem([&](Json& item) { item[field::kModified] = IsoTime(when); });
}

void JsonReport::Version(std::string_view version) noexcept {
  OnItem([&](Json& item) {
    item[field::kVersionOfFile] = version.empty() ? Json(nullptr) : Json(Utf8(version));
  });
}

void JsonReport::TypeLibrary(std::string_view text, bool read) noexcept {
  OnItem([&](Json& item) {
    item[field::kTypeLibrary] = read ? Json(Utf8(text)) : Json(nullptr);
    if (!read && !item.contains(field::kError)) item[field::kError] = Utf8(text);
  });
}

void JsonReport::Tell(std::initializer_list<std::string_view> parts) {
  if (!tell_) return;
  std::string line = value_;
  for (std::string_view part : parts) line.append(part);
  tell_(line);
}

void JsonReport::Explain(const LoadDiagnosis& diagnosis, std::string_view loader_field,
                         bool loaders_as_list, std::string_view loader_text) {
  if (!diagnosis.file_machine.empty()) {
    std::string loaders;
    for (const std::string& machine : diagnosis.loader_machines)
      loaders.append(loaders.empty() ? "" : text::kReasonAnd).append(machine);
    OnItem([&](Json& item) {
      const Json& names = diagnosis.loader_machines;
      item[field::kMachine] = {
          {field::kMachineFile, diagnosis.file_machine},
          {loader_field, loaders_as_list || names.empty() ? names : names.front()}};
    });
    Tell({text::kReasonFileIsFor, diagnosis.file_machine, loader_text, loaders});
  }
  if (diagnosis.missing_dependencies.empty()) return;
  OnItem([&](Json& item) {
    Json& missing = item[field::kMissingDependencies] = Json::array();
    for (const std::string& dll : diagnosis.missing_dependencies) missing.push_back(Utf8(dll));
  });
  for (const std::string& dll : diagnosis.missing_dependencies)
    Tell({text::kReasonImports, dll, text::kReasonNotFound});
}

void JsonReport::RegistrationEnded(std::int32_t exit_code, bool started) noexcept {
  registration_ = {exit_code, started};
}

void JsonReport::Registered(bool registered) noexcept {
  OnItem([&](Json& item) { item[field::kRegistered] = registered; });
  if (!registered) failed_ = true;
  if (!registration_) return;  // RegSvr32 was not run: the report says why
  try {
    ExplainRegistration(registration_->first, registration_->second);
  } catch (...) {
  }
}

void JsonReport::ExplainRegistration(std::int32_t exit_code, bool started) {
  using enum RegistrationFailure;
  const RegistrationFailure failure = RegistrationFailureOf(exit_code, started);
  std::string program = diagnostics_.RegistrationTool();
  const bool elevated = failure == kServer && diagnostics_.Elevated();
  OnItem([&](Json& item) {
    Json& regsvr32 = item[field::kRegSvr32] = Json::object();
    regsvr32[field::kProgram] = program.empty() ? Json(nullptr) : Json(Utf8(program));
    regsvr32[field::kExitCode] = started ? Json(exit_code) : Json(nullptr);
    if (failure != kNone) regsvr32[field::kFailure] = FailureName(failure);
    if (failure == kServer) regsvr32[field::kElevated] = elevated;
  });
  if (program.empty()) program = text::kRegSvr32;
  const std::string prefix = ": " + program;
  switch (failure) {
    case kNone:
      return;
    case kArguments:
      return Tell({prefix, text::kReasonArguments});
    case kOle:
      return Tell({prefix, text::kReasonOle});
    case kLoad:
      Tell({prefix, text::kReasonLoad});
      return Explain(diagnostics_.ExplainRegistration(value_), field::kRegSvr32, true,
                     text::kReasonRegSvr32Only);
    case kEntryPoint:
      return Tell({prefix, text::kReasonEntryPoint});
    case kServer:
      return Tell(
          {text::kReasonServer, elevated ? text::kReasonElevated : text::kReasonNotElevated});
    case kNotStarted:
      return Tell({text::kReasonNotStarted});
    case kOther:
      return Tell({prefix, text::kReasonOther, std::to_string(exit_code)});
  }
}

void JsonReport::Created(bool created, std::string_view description) noexcept {
  OnItem([&](Json& item) {
    item[field::kCreated] = created;
    if (!created) item[field::kError] = Utf8(description);
  });
  if (created) return;
  failed_ = true;
  if (value_.empty()) return;  // no class to look for
  try {
    const CreationDiagnosis diagnosis = diagnostics_.ExplainCreation(value_);
    OnItem([&](Json& item) { item[field::kRegisteredFor] = diagnosis.registered_for; });
    std::string views;
    for (const std::string& view : diagnosis.registered_for)
      views.append(views.empty() ? "" : text::kReasonAnd).append(view);
    if (diagnosis.registered_for.empty()) {
      Tell({text::kReasonNoClass});
    } else if (!diagnosis.loader_view.empty() &&
               std::find(diagnosis.registered_for.begin(), diagnosis.registered_for.end(),
                         diagnosis.loader_view) == diagnosis.registered_for.end()) {
      Tell({text::kReasonRegisteredFor, views, text::kReasonLoaderIsFor, diagnosis.loader_view});
    }
    Explain(diagnosis.server, field::kMachineLoader, false, text::kReasonLoaderIsFor);
  } catch (...) {
  }
}

void JsonReport::FolderChosen(std::string_view folder) noexcept {
  if (!folder.empty()) failed_ = false;
  OnItem([&](Json& item) {
    item[field::kChosen] = folder.empty() ? Json(nullptr) : Json(Utf8(folder));
  });
}

void JsonReport::Error(std::string_view error_text) noexcept {
  failed_ = true;
  OnItem([&](Json& item) {
    if (!item.contains(field::kError)) item[field::kError] = Utf8(error_text);
  });
}

void JsonReport::RunEnded(RunEnd end) noexcept {
  LineEnded();  // a line that a failure broke off
  end_ = end;
}

ExitCode JsonReport::exit_code() const {
  if (end_ != RunEnd::kCompleted) return kStopped;
  return failed_count_ > 0 ? kFailed : kPassed;
}

std::string JsonReport::Finish(std::string_view application, std::string_view install_folder) {
  const ExitCode code = exit_code();
  document_[field::kApplication] = Utf8(application);
  document_[field::kInstallFolder] = Utf8(install_folder);
  document_[field::kResult] = code == kStopped  ? field::kResultStopped
                              : code == kFailed ? field::kResultFailed
                                                : field::kResultPassed;
  document_[field::kExitCode] = code;
  document_[field::kSummary] = {{field::kPassedCount, passed_count_},
                                {field::kFailedCount, failed_count_}};
  document_[field::kItems] = Json::array();
  document_[field::kMessages] = std::move(messages_);
  std::string text = Dump(document_);
  const std::string no_items = ItemsLine("[]");
  const std::size_t at = text.find(no_items);
  if (!items_text_.empty() && at != std::string::npos) {
    std::string items = ItemsLine("[");
    items.append(items_text_).append("\n").append(kIndent, ' ').append("]");
    text.replace(at, no_items.size(), items);
  }
  items_text_.clear();
  messages_ = Json::array();
  document_ = Json::object();
  return text;
}

}  // namespace tarn::console
