// The JSON report's text: a readable document in which each item stands compactly on a line of
// its own. The items are written out as they come, so a run of many items keeps text, not a tree
// of objects, and the document needs no second walk over them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace tarn::console {

class JsonWriter {
 public:
  using Json = nlohmann::ordered_json;

  void Add(const Json& item);
  // The whole document, with the items written so far where `document` holds an empty `items`
  // array; the writer is then empty again.
  std::string Finish(const Json& document);

 private:
  std::string items_text_;
};

}  // namespace tarn::console
