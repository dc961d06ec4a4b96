// The comparison with a good PC: its /json report of the same info file, each of this run's items
// matched with the good PC's item of the same item line text, the first with the first.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "console/item_record.h"

namespace tarn::console {

class Baseline {
 public:
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
  Match Compare(const ItemRecord& item);
  // The good PC's items that matched none of this run's, in its order.
  std::vector<const ItemRecord*> Unmatched() const;

 private:
  std::vector<ItemRecord> items_;
  // Each text's items in the good PC's order, and how many of them this run has matched.
  struct Occurrences {
    std::vector<std::size_t> items;
    std::size_t matched = 0;
  };
  std::unordered_map<std::string_view, Occurrences> by_text_;
};

// A difference of `here` as its drift line says it after the item's name, in UTF-8: "version
// 1.0.23, the good PC has 1.0.24"; other bytes of one version as "same version 2.4.9, other
// bytes".
std::string Said(const Difference& difference, const ItemRecord& here);
// An item line as a drift line names it: its type, a space and its value.
std::string Named(std::string text);

}  // namespace tarn::console
