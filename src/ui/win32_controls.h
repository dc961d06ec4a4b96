// The main window's item list and log pane as the core sees them.
#pragma once

#include <windows.h>

#include "form/main_form.h"

namespace tarn::win32 {

// The text of one entry of a list box (LB_GETTEXTLEN, LB_GETTEXT) or combo box (CB_GETLBTEXTLEN,
// CB_GETLBTEXT); throws for an index outside the list.
std::string ListEntryText(HWND list, int index, UINT length_message, UINT text_message);

class ListBoxItems final : public ItemList {
 public:
  void Attach(HWND list) { list_ = list; }
  void Clear() override;
  void AddAll(const std::vector<std::string>& lines) override;
  int Count() override;
  std::string At(int position) override;

 private:
  HWND list_ = nullptr;
};

// Entries are gathered and reach the edit control in one insertion when the pane is read, before
// a modal box opens, or before the window handles events: one control call per entry costs
// milliseconds each, and the text in the control is the same either way. Once the window is
// gone (a log-off or Exit during a run), what the run still writes has no control to reach and
// is dropped: the log was saved before.
class EditLogPane final : public LogPane {
 public:
  void Attach(HWND edit);
  void Detach() {
    edit_ = nullptr;
    pending_.clear();
  }
  void Append(std::string_view text) override;
  std::string Text() override;
  std::string SelectedText() override;
  void Clear() override;
  void Flush();

 private:
  HWND edit_ = nullptr;
  std::string pending_;
};

}  // namespace tarn::win32
