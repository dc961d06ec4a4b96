// The comparison with a good PC: its /json report of the same info file, each of this run's items
// matched with the good PC's item of the same item line text, the first with the first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarn::console {

class Baseline {
 public:
  using Json = nlohmann::ordered_json;

  // The item fields that a comparison reads, besides regsvr32's failure.
  enum Field : std::size_t {
    kExists,
    kVersionOfFile,
    kTypeLibrary,
    kRegistered,
    kCreated,
    kRegisteredFor,
    kMachine,
    kMissingDependencies,
    kFieldCount
  };
  static std::string_view Name(Field field);

  // An item as far as a comparison reads it: of the good PC's report only this is kept, as its
  // items' other fields (paths, times) are most of its size.
  struct Item {
    std::uint64_t line = 0;
    std::string text;  // UTF-8
    std::array<std::optional<Json>, kFieldCount> fields;
    bool regsvr32 = false;  // whether it has the object of a RegSvr32 run
    Json failure;           // within that object, null when it has none

    void Clear();
  };

  // A field in which an item differs from the good PC's, with both values; an absent field is
  // null.
  struct Difference {
    std::string_view field;  // "regsvr32.failure" for the failure within regsvr32
    Json here, good;
  };
  // What became of one item of this run.
  struct Match {
    bool found = false;  // the good PC has an item of its text
    std::vector<Difference> differences;
  };

  Baseline() = default;
  // Its index views the items' texts, which a copy would not own.
  Baseline(const Baseline&) = delete;
  Baseline& operator=(const Baseline&) = delete;
  Baseline(Baseline&&) = default;
  Baseline& operator=(Baseline&&) = default;

  // The good PC's report as JSON text; nullopt, with `error` saying what is wrong, when it is no
  // JSON or no tarninfoc report.
  static std::optional<Baseline> Read(std::string_view text, std::string& error);

  // Whether any of these item line texts (UTF-8) is the text of one of the good PC's items.
  bool SharesAnyLine(const std::vector<std::string>& texts) const;
  // Compares this run's next item of its text with the good PC's.
  Match Compare(const Item& item);
  // The good PC's items that matched none of this run's, in its order.
  std::vector<const Item*> Unmatched() const;
  // The good PC's values of the differing fields, as the item's `baseline` member holds them.
  static Json GoodValues(const std::vector<Difference>& differences);

 private:
  std::vector<Item> items_;
  // Each text's items in the good PC's order, and how many of them this run has matched.
  struct Occurrences {
    std::vector<std::size_t> items;
    std::size_t matched = 0;
  };
  std::unordered_map<std::string_view, Occurrences> by_text_;
};

}  // namespace tarn::console
