#include "console/baseline.h"

#include <algorithm>
#include <functional>
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

// Reads a report's items into records as each of them ends, and drops them, and every member that
// a record does not read (paths, times), from what the library builds: a report of many items
// never becomes a tree of its values. The depths are the report's members (1), its items (2) and
// their members (3).
class ItemsReader {
 public:
  std::vector<ItemRecord> items;
  std::size_t first_bad = 0;  // the first item that is no item of a report, counted from 1

  bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
    using Event = Json::parse_event_t;
    if (depth == 1) {
      if (event == Event::key) items_next_ = parsed == field::kItems;
      // Where a name is repeated, the last value counts, as in the library's own objects.
      if (event == Event::array_start && items_next_) {
        items.clear();
        first_bad = count_ = 0;
        in_items_ = true;
      }
      if (event == Event::array_end) in_items_ = false;
      return true;
    }
    if (depth == 3 && event == Event::key) {
      const std::string& name = parsed.get_ref<const std::string&>();
      return std::any_of(std::begin(kMembers), std::end(kMembers),
                         [&](const Member& member) { return Read(member) && member.name == name; });
    }
    if (!in_items_ || depth != 2 || event == Event::object_start) return true;
    ++count_;
    ItemRecord record;
    if (event == Event::object_end && record.ReadFrom(parsed))
      items.push_back(std::move(record));
    else if (first_bad == 0)
      first_bad = count_;
    return false;
  }

 private:
  bool items_next_ = false, in_items_ = false;
  std::size_t count_ = 0;  // the items read so far
};

// What keeps a parsed report from being a tarninfoc report, or empty text.
std::string Flaw(const Json& report, const ItemsReader& reader) {
  if (!report.is_object()) return std::string(text::kBaselineNoObject);
  for (std::string_view name : kReportFields)
    if (!report.contains(name)) return std::string(text::kBaselineLacks).append(name);
  if (report[field::kTool] != field::kToolName) return std::string(text::kBaselineNotOurs);
  if (!report[field::kItems].is_array())
    return std::string(text::kBaselineLacks).append(field::kItems);
  if (reader.first_bad != 0)
    return std::string(text::kBaselineBadItem).append(std::to_string(reader.first_bad));
  return {};
}

// A value of the report as a drift line says it, in UTF-8.
std::string Shown(const Json& value) {
  if (value.is_null()) return std::string(text::kDriftNone);
  if (value.is_boolean()) return std::string(value.get<bool>() ? text::kDriftYes : text::kDriftNo);
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object()) {
    std::string members;
    for (const auto& [name, member] : value.items())
      members.append(members.empty() ? "" : ", ").append(name).append(" ").append(Shown(member));
    return members;
  }
  if (!value.is_array()) return value.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::string names;
  for (const auto& name : value)
    names.append(names.empty() ? "" : text::kReasonAnd).append(Shown(name));
  return names.empty() ? std::string(text::kDriftNone) : names;
}

}  // namespace

std::string Said(const Difference& difference, const ItemRecord& here) {
  if (difference.slot == Slot(field::kSha256) && !difference.here.is_null()) {
    const std::optional<Json>& version = here[Slot(field::kVersionOfFile)];
    if (!version || !version->is_string()) return std::string(text::kDriftOtherBytes);
    return std::string(text::kDriftSameVersion)
        .append(version->get_ref<const std::string&>())
        .append(", ")
        .append(text::kDriftOtherBytes);
  }
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
  ItemsReader reader;
  const Json report = Json::parse(text, std::ref(reader), false);
  if (report.is_discarded()) {
    error = text::kBaselineNotJson;
    return std::nullopt;
  }
  error = Flaw(report, reader);
  if (!error.empty()) return std::nullopt;
  std::optional<Baseline> baseline(std::in_place);
  baseline->items_ = std::move(reader.items);
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
