#include "console/baseline.h"

#include <algorithm>
#include <utility>

#include "services/texts.h"

namespace tarn::console {
namespace field = text::json;
namespace {

using Json = Baseline::Json;
using Item = Baseline::Item;

// The fields that the schema requires of every report, and of every item; "no tarninfoc report"
// is said of anything else.
constexpr std::string_view kReportFields[] = {
    field::kTool,     field::kVersion,     field::kInfoFile,      field::kStarted,
    field::kReadOnly, field::kApplication, field::kInstallFolder, field::kResult,
    field::kExitCode, field::kSummary,     field::kItems,         field::kMessages};
constexpr std::size_t kReportFieldCount = std::size(kReportFields);
constexpr std::string_view kKinds[] = {field::kKindItem, field::kKindSkipped,
                                       field::kKindEmptyVariable, field::kKindUnknownType};
constexpr std::string_view kFieldNames[] = {
    field::kExists,  field::kVersionOfFile, field::kTypeLibrary, field::kRegistered,
    field::kCreated, field::kRegisteredFor, field::kMachine,     field::kMissingDependencies};
static_assert(std::size(kFieldNames) == Baseline::kFieldCount);

// Reads a report event by event into the items' compared fields, and notes just enough of the
// rest to say what keeps it from being a tarninfoc report. Where a name is repeated, the last
// value counts, as it would in the library's own objects.
class ReportReader final : public nlohmann::json_sax<Json> {
 public:
  std::vector<Item> items;

  // What keeps the report from being a tarninfoc report, or empty text.
  std::string Flaw() const {
    if (!root_object_) return std::string(text::kBaselineNoObject);
    for (std::size_t i = 0; i < kReportFieldCount; ++i)
      if (!has_field_[i]) return std::string(text::kBaselineLacks).append(kReportFields[i]);
    if (!ours_) return std::string(text::kBaselineNotOurs);
    if (!items_array_) return std::string(text::kBaselineLacks).append(field::kItems);
    if (first_bad_ != 0)
      return std::string(text::kBaselineBadItem).append(std::to_string(first_bad_));
    return {};
  }

  bool null() override { return Scalar(Json()); }
  bool boolean(bool value) override { return Scalar(Json(value)); }
  bool number_integer(number_integer_t value) override { return Scalar(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override {
    // Only the item's own member: a "line" inside another member is that member's.
    if (skip_ == 0 && capture_.empty() && Where() == kItemField && key_ == field::kLine) {
      item_.line = value;
      line_ = true;
      return true;
    }
    return Scalar(Json(value));
  }
  bool number_float(number_float_t value, const string_t&) override { return Scalar(Json(value)); }
  bool string(string_t& value) override {
    if (skip_ == 0 && capture_.empty() && Where() == kItemField) {
      if (key_ == field::kText) {
        item_.text = std::move(value);
        text_ = true;
        return true;
      }
      if (key_ == field::kKind) {
        kind_ = std::find(std::begin(kKinds), std::end(kKinds), value) != std::end(kKinds);
        return true;
      }
    }
    // Most strings (paths, times) are read by nothing: no value of the library for them.
    if (!Wanted()) return true;
    return Scalar(Json(std::move(value)));
  }
  bool binary(binary_t&) override { return Scalar(Json()); }

  bool start_object(std::size_t) override { return Open(true); }
  bool start_array(std::size_t) override { return Open(false); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& name) override {
    if (skip_ > 0) return true;
    if (!capture_.empty()) {
      key_ = std::move(name);
      return true;
    }
    key_ = std::move(name);
    if (frames_.size() == 1) {
      for (std::size_t i = 0; i < kReportFieldCount; ++i)
        if (key_ == kReportFields[i]) has_field_[i] = true;
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const Json::exception&) override {
    return false;
  }

 private:
  // The containers open around a value that matters, outermost first.
  enum Frame { kReport, kItems, kItemObject, kRegSvr32 };
  // Where the next value stands.
  enum Place { kTop, kReportField, kItem, kItemField, kRegSvr32Field };

  Place Where() const {
    if (frames_.empty()) return kTop;
    switch (frames_.back()) {
      case kReport:
        return kReportField;
      case kItems:
        return kItem;
      case kItemObject:
        return kItemField;
      case kRegSvr32:
        break;
    }
    return kRegSvr32Field;
  }

  // The compared field that the next value of the item sets, if any.
  std::optional<Json>* Compared() {
    for (std::size_t i = 0; i < Baseline::kFieldCount; ++i)
      if (key_ == kFieldNames[i]) return &item_.fields[i];
    return nullptr;
  }

  // Whether the next scalar is read at all.
  bool Wanted() {
    if (skip_ > 0) return false;
    if (!capture_.empty()) return true;
    switch (Where()) {
      case kTop:
        return false;
      case kReportField:
        return key_ == field::kTool || key_ == field::kItems;
      case kItem:
        return true;
      case kItemField:
        return key_ == field::kLine || key_ == field::kText || key_ == field::kPassed ||
               key_ == field::kKind || key_ == field::kRegSvr32 || Compared() != nullptr;
      case kRegSvr32Field:
        break;
    }
    return key_ == field::kFailure;
  }

  // Puts a value where the one being kept has its next one.
  Json* Keep(Json value) {
    Json& parent = *capture_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    Json& member = parent[key_];
    member = std::move(value);
    return &member;
  }

  bool Scalar(Json value) {
    if (skip_ > 0) return true;
    if (!capture_.empty()) {
      Keep(std::move(value));
      return true;
    }
    switch (Where()) {
      case kTop:
        break;  // no object: Flaw says so
      case kReportField:
        if (key_ == field::kTool) ours_ = value == field::kToolName;
        if (key_ == field::kItems) ItemsBegun(false);
        break;
      case kItem:
        Bad();
        break;
      case kItemField:
        ItemScalar(std::move(value));
        break;
      case kRegSvr32Field:
        if (key_ == field::kFailure) item_.failure = std::move(value);
        break;
    }
    return true;
  }

  void ItemScalar(Json value) {
    if (key_ == field::kLine) line_ = false;
    if (key_ == field::kText) text_ = false;
    if (key_ == field::kPassed) passed_ = value.is_boolean();
    if (key_ == field::kKind) {
      kind_ =
          value.is_string() && std::find(std::begin(kKinds), std::end(kKinds),
                                         value.get_ref<const std::string&>()) != std::end(kKinds);
    }
    if (key_ == field::kRegSvr32) {
      item_.regsvr32 = false;
      item_.failure = nullptr;
    }
    if (std::optional<Json>* compared = Compared()) *compared = std::move(value);
  }

  bool Open(bool object) {
    if (skip_ > 0) {
      ++skip_;
      return true;
    }
    if (!capture_.empty()) {
      Json* opened = Keep(object ? Json::object() : Json::array());
      capture_.push_back(opened);
      return true;
    }
    switch (Where()) {
      case kTop:
        if (!object) break;
        root_object_ = true;
        frames_.push_back(kReport);
        return true;
      case kReportField:
        if (key_ == field::kTool) ours_ = false;
        if (key_ != field::kItems) break;
        ItemsBegun(!object);
        if (object) break;
        frames_.push_back(kItems);
        return true;
      case kItem:
        if (!object) {
          Bad();
          break;
        }
        item_.Clear();
        line_ = text_ = passed_ = kind_ = false;
        frames_.push_back(kItemObject);
        return true;
      case kItemField:
        ItemContainer(object);
        return true;
      case kRegSvr32Field:
        if (key_ != field::kFailure) break;
        capture_.push_back(&item_.failure);
        *capture_.back() = object ? Json::object() : Json::array();
        return true;
    }
    skip_ = 1;
    return true;
  }

  void ItemContainer(bool object) {
    if (key_ == field::kLine) line_ = false;
    if (key_ == field::kText) text_ = false;
    if (key_ == field::kPassed) passed_ = false;
    if (key_ == field::kKind) kind_ = false;
    if (key_ == field::kRegSvr32) {
      item_.regsvr32 = object;
      item_.failure = nullptr;
      if (object) {
        frames_.push_back(kRegSvr32);
        return;
      }
    }
    if (std::optional<Json>* compared = Compared()) {
      *compared = object ? Json::object() : Json::array();
      capture_.push_back(&**compared);
      return;
    }
    skip_ = 1;
  }

  bool Close() {
    if (skip_ > 0) {
      --skip_;
      return true;
    }
    if (!capture_.empty()) {
      capture_.pop_back();
      return true;
    }
    const Frame closed = frames_.back();
    frames_.pop_back();
    if (closed == kItemObject) {
      if (!line_ || !text_ || !passed_ || !kind_) {
        Bad();
        return true;
      }
      items.push_back(std::move(item_));
      ++index_;
    }
    return true;
  }

  void ItemsBegun(bool array) {
    items_array_ = array;
    items.clear();
    index_ = 0;
    first_bad_ = 0;
  }

  // The current item is no item of a tarninfoc report.
  void Bad() {
    if (first_bad_ == 0) first_bad_ = index_ + 1;
    ++index_;
  }

  std::vector<Frame> frames_;
  std::vector<Json*> capture_;  // the containers of a compared value being read, innermost last
  std::size_t skip_ = 0;        // how many containers deep a value that nothing reads goes
  std::string key_;
  bool root_object_ = false, ours_ = false, items_array_ = false;
  bool has_field_[kReportFieldCount] = {};
  Item item_;
  bool line_ = false, text_ = false, passed_ = false, kind_ = false;
  std::size_t index_ = 0;      // the items read so far
  std::size_t first_bad_ = 0;  // the first that is no item of a report, counted from 1
};

// Which of `good`'s and `here`'s value of a field differ, an absent one as null.
void CompareField(const Item& here, const Item& good, Baseline::Field name,
                  std::vector<Baseline::Difference>& differences) {
  const std::optional<Json>& mine = here.fields[name];
  const std::optional<Json>& theirs = good.fields[name];
  if ((mine ? *mine : Json()) != (theirs ? *theirs : Json()))
    differences.push_back({Baseline::Name(name), mine.value_or(Json()), theirs.value_or(Json())});
}

// Whether only one of the two has the field: a cause's detail, not the cause.
void ComparePresence(const Item& here, const Item& good, Baseline::Field name,
                     std::vector<Baseline::Difference>& differences) {
  const std::optional<Json>& mine = here.fields[name];
  const std::optional<Json>& theirs = good.fields[name];
  if (mine.has_value() != theirs.has_value())
    differences.push_back({Baseline::Name(name), mine.value_or(Json()), theirs.value_or(Json())});
}

// A check's outcome that both items hold, with `reasons` asked only when it is the same: the
// reasons behind a failure follow from the failure, and one cause is one difference.
template <typename Reasons>
void CompareOutcome(const Item& here, const Item& good, Baseline::Field name,
                    std::vector<Baseline::Difference>& differences, Reasons&& reasons) {
  const std::optional<Json>& mine = here.fields[name];
  const std::optional<Json>& theirs = good.fields[name];
  // A registration that was not run (null) tells nothing to compare.
  if (!mine || !theirs || mine->is_null() || theirs->is_null()) return;
  if (*mine != *theirs)
    differences.push_back({Baseline::Name(name), *mine, *theirs});
  else
    reasons();
}

}  // namespace

std::string_view Baseline::Name(Field field) {
  return kFieldNames[field];
}

void Baseline::Item::Clear() {
  line = 0;
  text.clear();
  for (std::optional<Json>& value : fields) value.reset();
  regsvr32 = false;
  failure = nullptr;
}

std::optional<Baseline> Baseline::Read(std::string_view text, std::string& error) {
  ReportReader reader;
  if (!Json::sax_parse(text, &reader)) {
    error = text::kBaselineNotJson;
    return std::nullopt;
  }
  error = reader.Flaw();
  if (!error.empty()) return std::nullopt;
  std::optional<Baseline> baseline(std::in_place);
  baseline->items_ = std::move(reader.items);
  baseline->by_text_.reserve(baseline->items_.size());
  for (std::size_t i = 0; i < baseline->items_.size(); ++i)
    baseline->by_text_[baseline->items_[i].text].items.push_back(i);
  return baseline;
}

bool Baseline::SharesAnyLine(const std::vector<std::string>& texts) const {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return by_text_.contains(text); });
}

Baseline::Match Baseline::Compare(const Item& item) {
  Match match;
  const auto found = by_text_.find(item.text);
  if (found == by_text_.end() || found->second.matched == found->second.items.size()) return match;
  match.found = true;
  const Item& good = items_[found->second.items[found->second.matched++]];
  auto& differences = match.differences;
  const std::optional<Json>& here_exists = item.fields[kExists];
  const std::optional<Json>& good_exists = good.fields[kExists];
  if (here_exists && good_exists && *here_exists != *good_exists) {
    // A file that is not there has nothing else to compare.
    differences.push_back({Name(kExists), *here_exists, *good_exists});
    return match;
  }
  for (Field name : {kVersionOfFile, kTypeLibrary})
    if (item.fields[name] && good.fields[name]) CompareField(item, good, name, differences);
  auto load_reasons = [&] {
    ComparePresence(item, good, kMachine, differences);
    ComparePresence(item, good, kMissingDependencies, differences);
  };
  CompareOutcome(item, good, kRegistered, differences, [&] {
    if (!item.regsvr32 || !good.regsvr32) return;
    if (item.failure != good.failure)
      differences.push_back({text::kBaselineFailureField, item.failure, good.failure});
    load_reasons();
  });
  CompareOutcome(item, good, kCreated, differences, [&] {
    CompareField(item, good, kRegisteredFor, differences);
    load_reasons();
  });
  return match;
}

std::vector<const Baseline::Item*> Baseline::Unmatched() const {
  std::vector<std::size_t> left;
  for (const auto& [text, occurrences] : by_text_)
    left.insert(left.end(), occurrences.items.begin() + occurrences.matched,
                occurrences.items.end());
  std::sort(left.begin(), left.end());
  std::vector<const Item*> items;
  for (std::size_t i : left) items.push_back(&items_[i]);
  return items;
}

Json Baseline::GoodValues(const std::vector<Difference>& differences) {
  Json values = Json::object();
  for (const Difference& difference : differences) {
    if (difference.field == text::kBaselineFailureField)
      values[field::kRegSvr32][field::kFailure] = difference.good;
    else
      values[difference.field] = difference.good;
  }
  return values;
}

}  // namespace tarn::console
