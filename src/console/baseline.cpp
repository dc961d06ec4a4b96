#include "console/baseline.h"

#include <algorithm>
#include <utility>

#include "services/texts.h"

namespace tarn::console {
namespace field = text::json;
namespace {

// The members that the schema requires of every report; "no tarninfoc report" is said of
// anything else.
constexpr std::string_view kReportFields[] = {
    field::kTool,     field::kVersion,     field::kInfoFile,      field::kStarted,
    field::kReadOnly, field::kApplication, field::kInstallFolder, field::kResult,
    field::kExitCode, field::kSummary,     field::kItems,         field::kMessages};

// The depth of an item's members: the report, its items, an item.
constexpr int kItemMemberDepth = 3;

// Keeps of an item only the members that are read: most of a report (paths, times) is not, and a
// report of many items then holds no value of the library for them.
bool KeepRead(int depth, Json::parse_event_t event, Json& parsed) {
  if (depth != kItemMemberDepth || event != Json::parse_event_t::key) return true;
  const std::string& name = parsed.get_ref<const std::string&>();
  return std::any_of(std::begin(kMembers), std::end(kMembers),
                     [&](const Member& member) { return Read(member) && member.name == name; });
}

// What keeps a parsed report from being a tarninfoc report, or empty text; its items are read
// into `items`.
std::string ReadReport(Json& report, std::vector<ItemRecord>& items) {
  if (!report.is_object()) return std::string(text::kBaselineNoObject);
  for (std::string_view name : kReportFields)
    if (!report.contains(name)) return std::string(text::kBaselineLacks).append(name);
  if (report[field::kTool] != field::kToolName) return std::string(text::kBaselineNotOurs);
  Json& read = report[field::kItems];
  if (!read.is_array()) return std::string(text::kBaselineLacks).append(field::kItems);
  items.resize(read.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    if (!items[i].ReadFrom(read[i]))
      return std::string(text::kBaselineBadItem).append(std::to_string(i + 1));
  }
  return {};
}

// A value of the report as a drift line says it, in UTF-8.
std::string Shown(const Json& value) {
  if (value.is_null()) return std::string(text::kDriftNone);
  if (value.is_boolean()) return std::string(value.get<bool>() ? text::kDriftYes : text::kDriftNo);
  if (value.is_string()) return value.get<std::string>();
  if (!value.is_array()) return value.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::string names;
  for (const auto& name : value)
    names.append(names.empty() ? "" : text::kReasonAnd).append(Shown(name));
  return names.empty() ? std::string(text::kDriftNone) : names;
}

}  // namespace

std::string Said(const Difference& difference) {
  return std::string(difference.name)
      .append(" ")
      .append(Shown(difference.here))
      .append(text::kDriftGoodHas)
      .append(Shown(difference.good));
}

std::string Named(std::string text) {
  const std::size_t equals = text.find('=');
  if (equals != std::string::npos) text[equals] = ' ';
  return text;
}

std::optional<Baseline> Baseline::Read(std::string_view text, std::string& error) {
  Json report = Json::parse(text, KeepRead, false);
  if (report.is_discarded()) {
    error = text::kBaselineNotJson;
    return std::nullopt;
  }
  std::optional<Baseline> baseline(std::in_place);
  error = ReadReport(report, baseline->items_);
  if (!error.empty()) return std::nullopt;
  baseline->by_text_.reserve(baseline->items_.size());
  for (std::size_t i = 0; i < baseline->items_.size(); ++i)
    baseline->by_text_[baseline->items_[i].text()].items.push_back(i);
  return baseline;
}

bool Baseline::SharesAnyLine(const std::vector<std::string>& texts) const {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return by_text_.contains(text); });
}

Baseline::Match Baseline::Compare(const ItemRecord& item) {
  Match match;
  const auto found = by_text_.find(item.text());
  if (found == by_text_.end() || found->second.matched == found->second.items.size()) return match;
  match.found = true;
  match.differences = console::Compare(item, items_[found->second.items[found->second.matched++]]);
  return match;
}

std::vector<const ItemRecord*> Baseline::Unmatched() const {
  std::vector<std::size_t> left;
  for (const auto& [text, occurrences] : by_text_)
    left.insert(left.end(), occurrences.items.begin() + occurrences.matched,
                occurrences.items.end());
  std::sort(left.begin(), left.end());
  std::vector<const ItemRecord*> items;
  for (std::size_t i : left) items.push_back(&items_[i]);
  return items;
}

}  // namespace tarn::console
