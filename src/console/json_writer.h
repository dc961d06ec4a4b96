// The JSON report's text: a readable document in which each item stands compactly on a line of
// its own. The items are written out as they come, so a run of many items keeps text, not a tree
// of objects, and the document needs no second walk over them.
#pragma once

#include <string>

#include "console/item_record.h"

namespace tarn::console {

class JsonWriter {
 public:
  void Add(const ItemRecord& item);
  // The whole document, with the items written so far where `document` holds an empty `items`
  // array; the writer is then empty again.
  std::string Finish(const Json& document);

 private:
  std::string items_text_;
  Json item_;  // one object for every item, which keeps its room from item to item
};

}  // namespace tarn::console
