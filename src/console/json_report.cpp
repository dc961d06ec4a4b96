#include "console/json_report.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "services/texts.h"

namespace tarn::console {

namespace field = text::json;

namespace {

// The document's layout: two blanks a level; an item's fields are at the third level.
constexpr std::string_view kItemIndent = "    ";
constexpr std::string_view kFieldIndent = "      ";
constexpr std::string_view kElementIndent = "        ";

// A UTF-8 text as a JSON string, escaped as the JSON library escapes it. Most texts (paths,
// versions, times) need no escape at all and are copied as they are.
void AppendString(std::string& out, std::string_view text) {
  bool plain = true;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    plain = plain && byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\';
  }
  if (!plain) {
    out += nlohmann::json(std::string(text))
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  out += '"';
  out.append(text);
  out += '"';
}

void AppendName(std::string& out, std::string_view indent, std::string_view name) {
  out.append(indent);
  AppendString(out, name);
  out += ": ";
}

void AppendBool(std::string& out, bool value) {
  out += value ? "true" : "false";
}

// An array of texts whose opening bracket follows a name at `indent`.
void AppendStrings(std::string& out, const std::vector<std::string>& texts, std::string_view indent,
                   std::string_view element_indent) {
  if (texts.empty()) {
    out += "[]";
    return;
  }
  out += "[\n";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    out.append(element_indent);
    AppendString(out, texts[i]);
    out += i + 1 < texts.size() ? ",\n" : "\n";
  }
  out.append(indent).append("]");
}

}  // namespace

JsonReport::JsonReport(Diagnostics& diagnostics,
                       std::function<std::string(std::string_view)> to_utf8,
                       std::function<void(std::string_view)> tell, int utc_offset_minutes,
                       bool keep_items)
    : diagnostics_(diagnostics),
      to_utf8_(std::move(to_utf8)),
      tell_(std::move(tell)),
      utc_offset_minutes_(utc_offset_minutes),
      keep_items_(keep_items) {}

std::string JsonReport::Utf8(std::string_view text) const {
  return to_utf8_ ? to_utf8_(text) : std::string(text);
}

std::string JsonReport::IsoTime(const LocalDateTime& when) const {
  const int offset = std::abs(utc_offset_minutes_);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", when.year,
                when.month, when.day, when.hour, when.minute, when.second,
                utc_offset_minutes_ < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

void JsonReport::Describe(std::string_view version, std::string_view info_file, bool read_only) {
  version_ = version;
  info_file_ = Utf8(info_file);
  read_only_ = read_only;
}

void JsonReport::Message(std::string_view text) noexcept {
  try {
    messages_.push_back(Utf8(text));
  } catch (...) {
  }
}

JsonReport::Field* JsonReport::Find(std::string_view name) noexcept {
  for (std::size_t i = 0; i < field_count_; ++i)
    if (fields_[i].name == name) return &fields_[i];
  return nullptr;
}

template <typename Write>
void JsonReport::Set(std::string_view name, Write&& write) noexcept {
  if (!in_item_) return;
  try {
    Field* slot = Find(name);
    if (slot == nullptr) {
      // A slot of an earlier line keeps its string's room for this one.
      if (field_count_ == fields_.size()) fields_.emplace_back();
      slot = &fields_[field_count_];
      slot->name = name;
      slot->value.clear();
      write(slot->value);
      ++field_count_;
      return;
    }
    std::string value;
    write(value);
    slot->value = std::move(value);
  } catch (...) {
  }
}

void JsonReport::SetText(std::string_view name, std::string_view text) noexcept {
  if (!in_item_) return;
  try {
    const std::string utf8 = Utf8(text);
    Set(name, [&](std::string& out) { AppendString(out, utf8); });
  } catch (...) {
  }
}

void JsonReport::SetTextOrNull(std::string_view name, std::string_view text) noexcept {
  if (text.empty())
    Set(name, [](std::string& out) { out += "null"; });
  else
    SetText(name, text);
}

void JsonReport::SetBool(std::string_view name, bool value) noexcept {
  Set(name, [&](std::string& out) { AppendBool(out, value); });
}

void JsonReport::SetTexts(std::string_view name, const std::vector<std::string>& texts) noexcept {
  Set(name, [&](std::string& out) { AppendStrings(out, texts, kFieldIndent, kElementIndent); });
}

void JsonReport::RunBegun(const LocalDateTime& when) noexcept {
  try {
    std::string started;
    AppendString(started, IsoTime(when));
    started_ = std::move(started);
  } catch (...) {
  }
}

void JsonReport::LineBegun(int line, std::string_view text) noexcept {
  in_item_ = false;
  field_count_ = 0;
  variables_.clear();
  in_line_ = true;
  failed_ = did_something_ = false;
  value_.clear();
  type_.clear();
  if (!keep_items_) return;
  in_item_ = true;
  Set(field::kLine, [&](std::string& out) { out += std::to_string(line); });
  Set(field::kKind, [](std::string& out) { out += "null"; });  // set once the line did something
  SetText(field::kText, text);
  // An item without its line number is no item of the report.
  if (field_count_ == 0) in_item_ = false;
}

void JsonReport::LineEnded() noexcept {
  if (!in_line_) return;
  in_line_ = false;
  if (did_something_) ++(failed_ ? failed_count_ : passed_count_);
  if (!in_item_) return;
  if (did_something_) {
    if (type_ == text::kTypeActiveXComponent && Find(field::kRegistered) == nullptr)
      Set(field::kRegistered, [](std::string& out) { out += "null"; });
    SetBool(field::kPassed, !failed_);
    const std::size_t before = items_.size();
    try {
      if (item_count_ > 0) items_ += ",\n";
      items_.append(kItemIndent).append("{\n");
      for (std::size_t i = 0; i < field_count_; ++i) {
        AppendName(items_, kFieldIndent, fields_[i].name);
        items_.append(fields_[i].value);
        items_ += i + 1 < field_count_ ? ",\n" : "\n";
      }
      items_.append(kItemIndent).append("}");
      ++item_count_;
    } catch (...) {
      items_.resize(before);  // the item is lost, not the items before it
    }
  }
  in_item_ = false;
}

void JsonReport::Skipped() noexcept {
  failed_ = did_something_ = true;
  SetText(field::kKind, field::kKindSkipped);
}

void JsonReport::Prompted(std::string_view folder) noexcept {
  SetTextOrNull(field::kPrompted, folder);
}

void JsonReport::EmptyVariable(std::string_view name) noexcept {
  failed_ = did_something_ = true;
  SetText(field::kKind, field::kKindEmptyVariable);
  if (!in_item_) return;
  try {
    variables_.push_back(Utf8(name));
  } catch (...) {
  }
  SetTexts(field::kVariables, variables_);
}

void JsonReport::UnknownType(std::string_view key, std::string_view value) noexcept {
  failed_ = did_something_ = true;
  SetText(field::kKind, field::kKindUnknownType);
  SetText(field::kType, key);
  SetText(field::kValue, value);
}

void JsonReport::Action(std::string_view type, std::string_view value) noexcept {
  did_something_ = true;
  try {
    type_ = type;
    value_ = value;
  } catch (...) {
  }
  SetText(field::kKind, field::kKindItem);
  SetText(field::kType, type);
  SetText(field::kValue, value);
}

void JsonReport::Exists(bool exists) noexcept {
  // An install folder that is missing may still be chosen; a file that is missing has failed.
  if (!exists) failed_ = true;
  SetBool(field::kExists, exists);
}

void JsonReport::Modified(const LocalDateTime& when) noexcept {
  if (!in_item_) return;
  try {
    SetText(field::kModified, IsoTime(when));
  } catch (...) {
  }
}

void JsonReport::Version(std::string_view version) noexcept {
  SetTextOrNull(field::kVersionOfFile, version);
}

void JsonReport::TypeLibrary(std::string_view text, bool read) noexcept {
  if (read) {
    SetText(field::kTypeLibrary, text);
    return;
  }
  Set(field::kTypeLibrary, [](std::string& out) { out += "null"; });
  if (in_item_ && Find(field::kError) == nullptr) SetText(field::kError, text);
}

void JsonReport::Explain(const LoadDiagnosis& diagnosis, std::string_view loader_field,
                         std::string_view loader_name) {
  if (!diagnosis.file_machine.empty()) {
    Set(field::kMachine, [&](std::string& out) {
      out += "{\n";
      AppendName(out, kElementIndent, field::kMachineFile);
      AppendString(out, diagnosis.file_machine);
      out += ",\n";
      AppendName(out, kElementIndent, loader_field);
      AppendString(out, diagnosis.loader_machine);
      out += "\n";
      out.append(kFieldIndent).append("}");
    });
    if (tell_) {
      std::string line = value_;
      line.append(text::kReasonFileIsFor).append(diagnosis.file_machine);
      line.append(loader_name).append(diagnosis.loader_machine);
      tell_(line);
    }
  }
  if (diagnosis.missing_dependencies.empty()) return;
  if (in_item_) {
    std::vector<std::string> missing;
    for (const std::string& dll : diagnosis.missing_dependencies) missing.push_back(Utf8(dll));
    SetTexts(field::kMissingDependencies, missing);
  }
  for (const std::string& dll : diagnosis.missing_dependencies) {
    if (!tell_) continue;
    std::string line = value_;
    line.append(text::kReasonImports).append(dll).append(text::kReasonNotFound);
    tell_(line);
  }
}

void JsonReport::Registered(bool registered) noexcept {
  SetBool(field::kRegistered, registered);
  if (registered) return;
  failed_ = true;
  try {
    Explain(diagnostics_.ExplainRegistration(value_), field::kMachineRegSvr32,
            text::kReasonRegSvr32IsFor);
  } catch (...) {
  }
}

void JsonReport::Created(bool created, std::string_view description) noexcept {
  SetBool(field::kCreated, created);
  if (created) return;
  SetText(field::kError, description);
  failed_ = true;
  try {
    Explain(diagnostics_.ExplainCreation(value_), field::kMachineLoader, text::kReasonLoaderIsFor);
  } catch (...) {
  }
}

void JsonReport::FolderChosen(std::string_view folder) noexcept {
  if (!folder.empty()) failed_ = false;
  SetTextOrNull(field::kChosen, folder);
}

void JsonReport::Error(std::string_view error_text) noexcept {
  failed_ = true;
  if (in_item_ && Find(field::kError) == nullptr) SetText(field::kError, error_text);
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
  constexpr std::string_view kTop = "  ";
  std::string out = "{\n";
  const auto next = [&](std::string_view name) {
    if (out.size() > 2) out += ",\n";
    AppendName(out, kTop, name);
  };
  next(field::kTool);
  AppendString(out, field::kToolName);
  next(field::kVersion);
  AppendString(out, version_);
  next(field::kInfoFile);
  AppendString(out, info_file_);
  next(field::kStarted);
  out += started_;
  next(field::kReadOnly);
  AppendBool(out, read_only_);
  next(field::kApplication);
  AppendString(out, Utf8(application));
  next(field::kInstallFolder);
  AppendString(out, Utf8(install_folder));
  next(field::kResult);
  AppendString(out, code == kStopped  ? field::kResultStopped
                    : code == kFailed ? field::kResultFailed
                                      : field::kResultPassed);
  next(field::kExitCode);
  out += std::to_string(code);
  next(field::kSummary);
  out += "{\n";
  AppendName(out, "    ", field::kPassedCount);
  out += std::to_string(passed_count_) + ",\n";
  AppendName(out, "    ", field::kFailedCount);
  out += std::to_string(failed_count_) + "\n  }";
  next(field::kItems);
  if (item_count_ == 0) {
    out += "[]";
  } else {
    out.reserve(out.size() + items_.size() + 64);
    out += "[\n";
    out += items_;
    out += "\n  ]";
  }
  next(field::kMessages);
  AppendStrings(out, messages_, kTop, "    ");
  out += "\n}";
  items_.clear();
  item_count_ = 0;
  messages_.clear();
  return out;
}

}  // namespace tarn::console
