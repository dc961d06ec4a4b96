// One item line of the JSON report: what its checks found, as the report writes it and as a good
// PC's report is read back. One table, kMembers, says each member's place in the report, whether
// a good PC's report is read for it, and how a comparison with the good PC treats it: a new
// compared member is one entry there, and the finding that sets it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/platform.h"
#include "services/texts.h"

namespace tarn::console {

using Json = nlohmann::ordered_json;

// How the comparison with a good PC's item treats a member.
enum class Compared {
  kNo,         // never: paths, times and texts differ from PC to PC
  kDecisive,   // where both have it and it differs, nothing else is compared: a file that is not
               // there has no version
  kWhereBoth,  // by value (or its `within`), where both items have it
  kWhereGood,  // by value, where the good PC's item has it: one that could not be had here differs
  kOutcome,    // a check's outcome: by value where neither is absent or null (null: not run);
               // where it is the same, the reasons behind it are compared
  kReason,     // by value, an absent one as null, where the outcome is the same
  kPresence,   // whether it is there, where the outcome is the same: one cause, one difference
};

struct Member {
  std::string_view name;
  Compared compared = Compared::kNo;
  // The member of this member that is compared, where only one is; it is then compared where
  // both items have this one.
  std::string_view within = {};
  // Every item of a report has it: a good PC's report that lacks it is no tarninfoc report.
  bool required = false;
  // Compared only where the items agree on this member: a file of a new version has new bytes by
  // right.
  std::string_view where_same = {};
};

namespace json_name = text::json;

// The members in the order in which the report writes them.
inline constexpr Member kMembers[] = {
    {json_name::kLine, Compared::kNo, {}, true},
    {json_name::kKind, Compared::kNo, {}, true},
    {json_name::kText, Compared::kNo, {}, true},
    {json_name::kPrompted},
    {json_name::kVariables},
    {json_name::kType},
    {json_name::kValue},
    {json_name::kExists, Compared::kDecisive},
    {json_name::kModified},
    {json_name::kVersionOfFile, Compared::kWhereBoth},
    {json_name::kSize},
    {json_name::kSha256, Compared::kWhereGood, {}, false, json_name::kVersionOfFile},
    {json_name::kImageMachine},
    {json_name::kSignature, Compared::kWhereBoth, json_name::kSigner},
    {json_name::kIdentityError},
    {json_name::kCreated, Compared::kOutcome},
    {json_name::kTypeLibrary, Compared::kWhereBoth},
    {json_name::kRegistration, Compared::kWhereBoth, json_name::kCounts},
    {json_name::kError},
    {json_name::kRegistered, Compared::kOutcome},
    {json_name::kRegSvr32, Compared::kReason, json_name::kFailure},
    {json_name::kRegisteredFor, Compared::kReason},
    {json_name::kMachine, Compared::kPresence},
    {json_name::kMissingDependencies, Compared::kPresence},
    {json_name::kMissingAssemblies},
    {json_name::kChosen},
    {json_name::kBaseline},
    {json_name::kPassed, Compared::kNo, {}, true},
};
inline constexpr std::size_t kMemberCount = std::size(kMembers);

// A member's place in kMembers; kMemberCount when no member has that name.
constexpr std::size_t FindSlot(std::string_view name) {
  for (std::size_t i = 0; i < kMemberCount; ++i)
    if (kMembers[i].name == name) return i;
  return kMemberCount;
}
// A member compared only where the items agree on another names one of the table.
static_assert(std::all_of(std::begin(kMembers), std::end(kMembers), [](const Member& member) {
  return member.where_same.empty() || FindSlot(member.where_same) < kMemberCount;
}));

// A member's place in kMembers, found while compiling: a name that is not there does not build.
consteval std::size_t Slot(std::string_view name) {
  if (FindSlot(name) == kMemberCount) throw "no member of that name";
  return FindSlot(name);
}

// Whether a good PC's report is read for the member.
constexpr bool Read(const Member& member) {
  return member.required || member.compared != Compared::kNo;
}

struct ItemRecord {
  // By their place in kMembers; an absent member is not written.
  std::array<std::optional<Json>, kMemberCount> members;

  std::optional<Json>& operator[](std::size_t slot) { return members[slot]; }
  const std::optional<Json>& operator[](std::size_t slot) const { return members[slot]; }
  // The item line, UTF-8, and its number: what every read item has.
  const std::string& text() const;
  std::uint64_t line() const;
  void Clear();
  // The record as the report writes it.
  void WriteTo(Json& object) const;
  // The item of a report; false when it is no item of a tarninfoc report.
  bool ReadFrom(Json& object);
};

// A member in which an item differs from the good PC's, with both values (an absent one null).
struct Difference {
  std::size_t slot;
  std::string name;  // as a drift line names it: "regsvr32.failure" for a member within one
  Json here, good;
};
std::vector<Difference> Compare(const ItemRecord& here, const ItemRecord& good);
// The good PC's values of the differing members, as an item's `baseline` member holds them.
Json GoodValues(const std::vector<Difference>& differences);

// A time as the report writes it: 2026-11-02T09:00:00+01:00.
std::string IsoTime(const ZonedDateTime& when);

}  // namespace tarn::console
