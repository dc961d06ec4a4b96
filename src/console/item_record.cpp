#include "console/item_record.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tarn::console {
namespace {

constexpr std::string_view kKinds[] = {json_name::kKindItem, json_name::kKindSkipped,
                                       json_name::kKindEmptyVariable, json_name::kKindUnknownType};

const Json& OrNull(const std::optional<Json>& value) {
  static const Json null;
  return value ? *value : null;
}

// The member `within` of an object, null when it has none.
Json Within(const Json& object, std::string_view within) {
  if (!object.is_object()) return Json();
  const auto found = object.find(within);
  return found == object.end() ? Json() : *found;
}

}  // namespace

const std::string& ItemRecord::text() const {
  return members[Slot(json_name::kText)]->get_ref<const std::string&>();
}

std::uint64_t ItemRecord::line() const {
  return members[Slot(json_name::kLine)]->get<std::uint64_t>();
}

void ItemRecord::Clear() {
  for (std::optional<Json>& member : members) member.reset();
}

void ItemRecord::WriteTo(Json& object) const {
  object.clear();
  for (std::size_t i = 0; i < kMemberCount; ++i)
    if (members[i]) object[kMembers[i].name] = *members[i];
}

bool ItemRecord::ReadFrom(Json& object) {
  Clear();
  if (!object.is_object()) return false;
  for (std::size_t i = 0; i < kMemberCount; ++i) {
    const auto found = object.find(kMembers[i].name);
    if (found != object.end()) members[i] = std::move(*found);
  }
  const Json& kind = OrNull(members[Slot(json_name::kKind)]);
  return OrNull(members[Slot(json_name::kLine)]).is_number_unsigned() &&
         OrNull(members[Slot(json_name::kText)]).is_string() &&
         OrNull(members[Slot(json_name::kPassed)]).is_boolean() && kind.is_string() &&
         std::find(std::begin(kKinds), std::end(kKinds), kind.get_ref<const std::string&>()) !=
             std::end(kKinds);
}

std::vector<Difference> Compare(const ItemRecord& here, const ItemRecord& good) {
  std::vector<Difference> differences;
  auto differ = [&](std::size_t slot, std::string name, const Json& mine, const Json& theirs) {
    differences.push_back({slot, std::move(name), mine, theirs});
  };
  bool outcome_same = false, outcome_differs = false;
  for (std::size_t i = 0; i < kMemberCount; ++i) {
    const Member& member = kMembers[i];
    const std::optional<Json>& mine = here[i];
    const std::optional<Json>& theirs = good[i];
    const bool both = mine && theirs;
    switch (member.compared) {
      case Compared::kDecisive:
        if (both && *mine != *theirs) {
          differ(i, std::string(member.name), *mine, *theirs);
          return differences;
        }
        break;
      case Compared::kWhereGood:
      case Compared::kWhereBoth: {
        if (!theirs || (!mine && member.compared == Compared::kWhereBoth)) break;
        if (!member.where_same.empty() &&
            OrNull(here[FindSlot(member.where_same)]) != OrNull(good[FindSlot(member.where_same)]))
          break;
        if (member.within.empty()) {
          if (OrNull(mine) != *theirs) differ(i, std::string(member.name), OrNull(mine), *theirs);
          break;
        }
        const Json a = Within(OrNull(mine), member.within), b = Within(*theirs, member.within);
        if (a != b) differ(i, std::string(member.name).append(".").append(member.within), a, b);
        break;
      }
      case Compared::kOutcome:
        // A registration that was not run (null) tells nothing to compare.
        if (!both || mine->is_null() || theirs->is_null()) break;
        (*mine == *theirs ? outcome_same : outcome_differs) = true;
        if (*mine != *theirs) differ(i, std::string(member.name), *mine, *theirs);
        break;
      case Compared::kNo:
      case Compared::kReason:
      case Compared::kPresence:
        break;
    }
  }
  // The reasons behind an outcome follow from it: compared only where it is the same.
  if (!outcome_same || outcome_differs) return differences;
  for (std::size_t i = 0; i < kMemberCount; ++i) {
    const Member& member = kMembers[i];
    const std::optional<Json>& mine = here[i];
    const std::optional<Json>& theirs = good[i];
    if (member.compared == Compared::kPresence && mine.has_value() != theirs.has_value())
      differ(i, std::string(member.name), OrNull(mine), OrNull(theirs));
    if (member.compared != Compared::kReason) continue;
    if (member.within.empty()) {
      if (OrNull(mine) != OrNull(theirs))
        differ(i, std::string(member.name), OrNull(mine), OrNull(theirs));
      continue;
    }
    if (!mine || !theirs || !mine->is_object() || !theirs->is_object()) continue;
    const Json a = Within(*mine, member.within), b = Within(*theirs, member.within);
    if (a != b) differ(i, std::string(member.name).append(".").append(member.within), a, b);
  }
  return differences;
}

Json GoodValues(const std::vector<Difference>& differences) {
  Json values = Json::object();
  for (const Difference& difference : differences) {
    const Member& member = kMembers[difference.slot];
    if (member.within.empty())
      values[member.name] = difference.good;
    else
      values[member.name][member.within] = difference.good;
  }
  return values;
}

std::string IsoTime(const ZonedDateTime& zoned) {
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

}  // namespace tarn::console
