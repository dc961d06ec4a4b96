#include "console/json_writer.h"

#include <string_view>

#include "services/texts.h"

namespace tarn::console {
namespace {

constexpr int kIndent = 2;
constexpr std::string_view kItemIndent = "    ";  // an item's depth in the document
static_assert(kItemIndent.size() == 2 * kIndent);

// The line on which the library writes the document's items, an empty array until they are put
// in, and the array's opening without its close.
std::string ItemsLine(std::string_view array) {
  std::string line(1, '\n');
  return line.append(kIndent, ' ')
      .append("\"")
      .append(text::json::kItems)
      .append("\": ")
      .append(array);
}

}  // namespace

void JsonWriter::Add(const ItemRecord& item) {
  item.WriteTo(item_);
  items_text_.append(items_text_.empty() ? "\n" : ",\n").append(kItemIndent);
  items_text_.append(item_.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string JsonWriter::Finish(const Json& document) {
  std::string text = document.dump(kIndent, ' ', false, Json::error_handler_t::replace);
  const std::string no_items = ItemsLine("[]");
  const std::size_t at = text.find(no_items);
  if (!items_text_.empty() && at != std::string::npos) {
    std::string items = ItemsLine("[");
    items.append(items_text_).append("\n").append(kIndent, ' ').append("]");
    text.replace(at, no_items.size(), items);
  }
  items_text_.clear();
  return text;
}

}  // namespace tarn::console
