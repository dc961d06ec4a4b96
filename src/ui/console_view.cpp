#include "ui/console_view.h"

#include "services/texts.h"

namespace tarn::win32 {

void WriteStandard(DWORD which, std::string_view bytes) noexcept {
  HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

void WriteErrorLine(std::string_view text) noexcept {
  try {
    std::string line(text);
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    line += "\r\n";
    WriteStandard(STD_ERROR_HANDLE, line);
  } catch (...) {
  }
}

void MemoryItems::AddAll(const std::vector<std::string>& lines) {
  lines_.insert(lines_.end(), lines.begin(), lines.end());
}

std::string MemoryItems::At(int position) {
  if (position < 0 || position >= Count()) throw Failure(std::string(text::kNoSuchItem));
  return lines_[static_cast<std::size_t>(position)];
}

void ConsolePane::Append(std::string_view text) {
  text_.append(text);
}

void ConsolePane::Clear() {
  Flush();
  text_.clear();
  written_ = 0;
}

void ConsolePane::Flush() noexcept {
  if (echo_ && written_ < text_.size())
    WriteStandard(STD_OUTPUT_HANDLE, std::string_view(text_).substr(written_));
  written_ = text_.size();
}

std::int32_t ConsoleView::RunAndWait(const std::string& command_line) {
  // What the run has written so far is out before the program runs.
  pane_.Flush();
  // Detached from tarninfoc's console: a Ctrl+C that stops tarninfoc after its item must not end
  // the item's program halfway.
  return win32::RunAndWait(command_line, *this, NORMAL_PRIORITY_CLASS | DETACHED_PROCESS);
}

void ConsoleView::HandlePendingEvents() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace tarn::win32
