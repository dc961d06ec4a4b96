#include "ui/win32_controls.h"

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  int length = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

// Asked in UTF-16: this Wine's translation of the ANSI text messages overruns its buffer on an
// entry longer than 512 characters.
std::string ListEntryText(HWND list, int index, UINT length_message, UINT text_message) {
  const LRESULT length = ::SendMessageW(list, length_message, static_cast<WPARAM>(index), 0);
  if (length < 0) throw Failure(std::string(text::kNoSuchItem));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = ::SendMessageW(list, text_message, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) throw Failure(std::string(text::kNoSuchItem));
  return Narrow(text.data(), static_cast<int>(copied));
}

void ListBoxItems::Clear() {
  ::SendMessageA(list_, LB_RESETCONTENT, 0, 0);
}

void ListBoxItems::AddAll(const std::vector<std::string>& lines) {
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list_, LB_INITSTORAGE, lines.size(), 64 * lines.size());
  LRESULT result = 0;
  for (const std::string& line : lines) {
    result = ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (result == LB_ERR || result == LB_ERRSPACE) break;
  }
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  if (result == LB_ERR || result == LB_ERRSPACE) ThrowSystemError(ERROR_NOT_ENOUGH_MEMORY);
}

int ListBoxItems::Count() {
  return static_cast<int>(::SendMessageA(list_, LB_GETCOUNT, 0, 0));
}

std::string ListBoxItems::At(int position) {
  return ListEntryText(list_, position, LB_GETTEXTLEN, LB_GETTEXT);
}

void EditLogPane::Attach(HWND edit) {
  edit_ = edit;
  // The pane has no limit of its own: 0 lifts the control's default one.
  ::SendMessageA(edit_, EM_SETLIMITTEXT, 0, 0);
}

void EditLogPane::Append(std::string_view text) {
  if (edit_) pending_.append(text);
}

void EditLogPane::Flush() {
  if (pending_.empty()) return;
  std::string text;
  text.swap(pending_);
  const int before = ::GetWindowTextLengthA(edit_);
  // At the end of the text, whatever the user has selected or where the caret stands.
  ::SendMessageA(edit_, EM_SETSEL, before, before);
  ::SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  if (static_cast<std::size_t>(::GetWindowTextLengthA(edit_) - before) != text.size())
    ThrowSystemError(ERROR_NOT_ENOUGH_MEMORY);
}

std::string EditLogPane::Text() {
  Flush();
  return WindowText(edit_);
}

std::string EditLogPane::SelectedText() {
  Flush();
  DWORD start = 0, end = 0;
  ::SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  std::string text = WindowText(edit_);
  if (start >= end || start >= text.size()) return {};
  return text.substr(start, end - start);
}

void EditLogPane::Clear() {
  pending_.clear();
  if (!::SetWindowTextA(edit_, "")) ThrowLastError();
}

}  // namespace tarn::win32
