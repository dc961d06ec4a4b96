// Loading an info file into the item list.
#include "form/main_form.h"
#include "script/item_line.h"
#include "services/texts.h"

namespace tarn {

bool MainForm::LoadInfoFile(std::string& path) noexcept {
  const Handler handler{Mode::kBoxAndLeave, text::kProcedureLoadInfoFile};
  bool truncated = false, read = false;
  Guarded(handler, *this, [&] {
    if (path.empty())
      path = view_.FileDialog(text::kInfoFileExtension, "");
    else
      path = UnquotePath(path);

    ItemList& items = view_.Items();
    if (path.empty()) {
      view_.EnableGetInfo(items.Count() > 0);
    } else {
      items.Clear();
      std::vector<std::string> lines = SplitInfoLines(files_.ReadAll(path));
      for (std::string& line : lines) line = TrimSpaces(line);
      if (lines.size() > static_cast<std::size_t>(kMaxItemLines)) {
        lines.resize(kMaxItemLines);
        truncated = true;
      }
      if (lines.empty()) lines.emplace_back(text::kInvalidFile);
      items.AddAll(lines);
      view_.EnableGetInfo(true);
      read = true;
    }
    view_.Log().Clear();
  });
  // The list holds what it can; the user is told that the rest of the file was left out.
  if (truncated) Report(handler, *this, text::kTooManyLines);
  return read;
}

}  // namespace tarn
