// The comparison with a good PC: its /json report of the same info file, each of this run's items
// matched with the good PC's item of the same item line text, the first with the first.
#pragma once

#include <cstddef>
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

  // The good PC's report as JSON text; nullopt, with `error` saying what is wrong, when it is no
  // JSON or no tarninfoc report.
  static std::optional<Baseline> Read(std::string_view text, std::string& error);

  // Whether any of these item line texts (UTF-8) is the text of one of the good PC's items.
  bool SharesAnyLine(const std::vector<std::string>& texts) const;
  // Compares this run's next item of its text with the good PC's; `item` as the report has it.
  Match Compare(const Json& item);
  // The good PC's items that matched none of this run's, in its order.
  std::vector<const Json*> Unmatched() const;
  // The good PC's values of the differing fields, as the item's `baseline` member holds them.
  static Json GoodValues(const std::vector<Difference>& differences);

 private:
  Json items_;
  // Each text's items in the good PC's order, and how many of them this run has matched.
  struct Occurrences {
    std::vector<std::size_t> items;
    std::size_t matched = 0;
  };
  std::unordered_map<std::string, Occurrences> by_text_;
};

}  // namespace tarn::console
