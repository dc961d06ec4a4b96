// Reads one good PC's report, as /baseline does with a file that another PC wrote (UTF-8, or
// UTF-16LE after a byte-order mark), and compares its items with themselves: whatever the bytes,
// no crash, and a report that is read shows no drift from itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/baseline.h"
#include "console/info_file_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> utf8 = tarn::console::MarkedTextAsUtf8(bytes);
  if (!utf8) return 0;
  std::string error;
  std::optional<tarn::console::Baseline> baseline = tarn::console::Baseline::Read(*utf8, error);
  if (!baseline) {
    if (error.empty()) __builtin_trap();  // a refused report always says why
    return 0;
  }
  std::vector<tarn::console::ItemRecord> items;
  std::vector<std::string> texts;
  for (const tarn::console::ItemRecord* item : baseline->Unmatched()) {
    items.push_back(*item);
    texts.push_back(item->text());
  }
  if (!items.empty() && !baseline->SharesAnyLine(texts)) __builtin_trap();
  for (const tarn::console::ItemRecord& item : items) {
    const tarn::console::Baseline::Match match = baseline->Compare(item);
    if (!match.found || !match.differences.empty()) __builtin_trap();
    (void)tarn::console::GoodValues(match.differences).dump();
  }
  if (!baseline->Unmatched().empty()) __builtin_trap();
  return 0;
}
