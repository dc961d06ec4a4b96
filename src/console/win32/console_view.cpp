#include "console/win32/console_view.h"

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/search_order.h"

namespace tarn::win32 {

namespace {

void WriteToConsole(HANDLE console, std::string_view bytes, UINT code_page) {
  // Converted whole: a cut between two chunks of bytes could fall inside a character.
  const std::wstring wide = Wide(bytes, code_page);
  std::wstring_view rest(wide);
  while (!rest.empty()) {
    // Older consoles refuse a call of more than about 64 KB; a surrogate pair stays whole.
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 14));
    if (chunk < rest.size() && IS_HIGH_SURROGATE(rest[chunk - 1])) --chunk;
    DWORD written = 0;
    if (!::WriteConsoleW(console, rest.data(), chunk, &written, nullptr) || written == 0) return;
    rest.remove_prefix(written);
  }
}

}  // namespace

void WriteStandard(DWORD which, std::string_view bytes, UINT code_page) noexcept {
  HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    try {
      WriteToConsole(handle, bytes, code_page);
    } catch (...) {
    }
    return;
  }
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

ProgramEnd ConsoleView::RunAndWait(const std::string& command_line) {
  // What the run has written so far is out before the program runs.
  pane_.Flush();
  // The system folder's program only: the search for a program takes the exe's folder and the
  // current folder first, which whoever can write there would fill with a program of their own,
  // run with the rights of the engine that runs tarninfoc.
  const std::string program = SystemProgram(command_line);
  if (program.empty()) return {ProgramEnd::Kind::kNotStarted, 0, {}};
  // Detached from tarninfoc's console: a Ctrl+C that stops tarninfoc after its item must not end
  // the item's program halfway. A time limit, because nobody may be there to answer a dialog that
  // the program shows.
  return win32::RunAndWait(command_line, *this,
                           {.creation_flags = NORMAL_PRIORITY_CLASS | DETACHED_PROCESS,
                            .program = program,
                            .time_limit_ms = time_limit_seconds_ * 1000});
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
