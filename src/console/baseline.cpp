#include "console/baseline.h"

#include <algorithm>
#include <utility>

#include "services/texts.h"

namespace tarn::console {
namespace field = text::json;
namespace {

using Json = Baseline::Json;

// The fields that the schema requires of every report, and of every item; "no tarninfoc report"
// is said of anything else.
constexpr std::string_view kReportFields[] = {
    field::kTool,     field::kVersion,     field::kInfoFile,      field::kStarted,
    field::kReadOnly, field::kApplication, field::kInstallFolder, field::kResult,
    field::kExitCode, field::kSummary,     field::kItems,         field::kMessages};
constexpr std::string_view kKinds[] = {field::kKindItem, field::kKindSkipped,
                                       field::kKindEmptyVariable, field::kKindUnknownType};

// What keeps `report` from being a tarninfoc report, or empty text.
std::string Flaw(const Json& report) {
  if (!report.is_object()) return std::string(text::kBaselineNoObject);
  for (std::string_view name : kReportFields)
    if (!report.contains(name)) return std::string(text::kBaselineLacks).append(name);
  if (report[field::kTool] != field::kToolName) return std::string(text::kBaselineNotOurs);
  if (!report[field::kItems].is_array())
    return std::string(text::kBaselineLacks).append(field::kItems);
  std::size_t index = 0;
  for (const Json& item : report[field::kItems]) {
    ++index;
    auto has = [&](std::string_view name, bool (Json::*is)() const noexcept) {
      return item.contains(name) && (item[name].*is)();
    };
    const bool good =
        item.is_object() && has(field::kLine, &Json::is_number_unsigned) &&
        has(field::kText, &Json::is_string) && has(field::kPassed, &Json::is_boolean) &&
        has(field::kKind, &Json::is_string) &&
        std::find(std::begin(kKinds), std::end(kKinds),
                  item[field::kKind].get_ref<const std::string&>()) != std::end(kKinds);
    if (!good) return std::string(text::kBaselineBadItem).append(std::to_string(index));
  }
  return {};
}

const Json* Member(const Json& item, std::string_view name) {
  const auto found = item.find(name);
  return found == item.end() ? nullptr : &*found;
}

// Compares the two items' values of a field, an absent one as null; with `presence`, only
// whether each has it.
void CompareField(const Json& here, const Json& good, std::string_view name, bool presence,
                  std::vector<Baseline::Difference>& differences) {
  const Json* mine = Member(here, name);
  const Json* theirs = Member(good, name);
  const bool differ = presence ? (mine == nullptr) != (theirs == nullptr)
                               : (mine ? *mine : Json()) != (theirs ? *theirs : Json());
  if (differ) differences.push_back({name, mine ? *mine : Json(), theirs ? *theirs : Json()});
}

// A check's outcome that both items hold, with `reasons` asked only when it is the same: the
// reasons behind a failure follow from the failure, and one cause is one difference.
template <typename Reasons>
void CompareOutcome(const Json& here, const Json& good, std::string_view name,
                    std::vector<Baseline::Difference>& differences, Reasons&& reasons) {
  const Json* mine = Member(here, name);
  const Json* theirs = Member(good, name);
  // A registration that was not run (null) tells nothing to compare.
  if (!mine || !theirs || mine->is_null() || theirs->is_null()) return;
  if (*mine != *theirs)
    differences.push_back({name, *mine, *theirs});
  else
    reasons();
}

}  // namespace

std::optional<Baseline> Baseline::Read(std::string_view text, std::string& error) {
  Json report = Json::parse(text, nullptr, false);
  if (report.is_discarded()) {
    error = text::kBaselineNotJson;
    return std::nullopt;
  }
  error = Flaw(report);
  if (!error.empty()) return std::nullopt;
  Baseline baseline;
  baseline.items_ = std::move(report[field::kItems]);
  for (std::size_t i = 0; i < baseline.items_.size(); ++i)
    baseline.by_text_[baseline.items_[i][field::kText].get<std::string>()].items.push_back(i);
  return baseline;
}

bool Baseline::SharesAnyLine(const std::vector<std::string>& texts) const {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return by_text_.contains(text); });
}

Baseline::Match Baseline::Compare(const Json& item) {
  Match match;
  const auto found = by_text_.find(item[field::kText].get_ref<const std::string&>());
  if (found == by_text_.end() || found->second.matched == found->second.items.size()) return match;
  match.found = true;
  const Json& good = items_[found->second.items[found->second.matched++]];
  auto& differences = match.differences;
  const Json* here_exists = Member(item, field::kExists);
  const Json* good_exists = Member(good, field::kExists);
  if (here_exists && good_exists && *here_exists != *good_exists) {
    // A file that is not there has nothing else to compare.
    differences.push_back({field::kExists, *here_exists, *good_exists});
    return match;
  }
  for (std::string_view name : {field::kVersionOfFile, field::kTypeLibrary})
    if (item.contains(name) && good.contains(name))
      CompareField(item, good, name, false, differences);
  auto load_reasons = [&] {
    CompareField(item, good, field::kMachine, true, differences);
    CompareField(item, good, field::kMissingDependencies, true, differences);
  };
  CompareOutcome(item, good, field::kRegistered, differences, [&] {
    const Json* mine = Member(item, field::kRegSvr32);
    const Json* theirs = Member(good, field::kRegSvr32);
    if (!mine || !theirs || !mine->is_object() || !theirs->is_object()) return;
    const Json here_failure = mine->value(field::kFailure, Json());
    const Json good_failure = theirs->value(field::kFailure, Json());
    if (here_failure != good_failure)
      differences.push_back({text::kBaselineFailureField, here_failure, good_failure});
    load_reasons();
  });
  CompareOutcome(item, good, field::kCreated, differences, [&] {
    CompareField(item, good, field::kRegisteredFor, false, differences);
    load_reasons();
  });
  return match;
}

std::vector<const Json*> Baseline::Unmatched() const {
  std::vector<std::size_t> left;
  for (const auto& [text, occurrences] : by_text_)
    left.insert(left.end(), occurrences.items.begin() + occurrences.matched,
                occurrences.items.end());
  std::sort(left.begin(), left.end());
  std::vector<const Json*> items;
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
