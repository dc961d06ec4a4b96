// The log: every report line reaches the pane through LogEntry; SaveLog and the copy commands
// take it out again.
#include <utility>

#include "form/main_form.h"
#include "services/paths.h"
#include "services/texts.h"

namespace tarn {
namespace {

// A log file longer than this is started afresh at the next save.
constexpr std::uint64_t kLogFileRestartSize = 32767;

constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

void MainForm::LogEntry(std::string_view entry) noexcept {
  Guarded({Mode::kBoxAndLeave, text::kProcedureLogEntry}, *this, [&] {
    std::string line;
    line.reserve(entry.size() + kLineBreak.size());
    line.append(entry).append(kLineBreak);
    view_.Log().Append(line);
  });
}

void MainForm::SaveLog() noexcept {
  if (!append_log_file) return;
  Guarded({Mode::kBoxAndLeave, text::kProcedureSaveLog}, *this, [&] {
    std::string name(text::kAppTitle);
    name += text::kLogFileSuffix;
    const std::string path = CombinePath(desktop_.ExeFolder(), name);
    if (DoesFileExist(path) && files_.Length(path) > kLogFileRestartSize) files_.Delete(path);
    std::string contents = view_.Log().Text();
    contents += kLineBreak;
    files_.Append(path, contents);
  });
}

void MainForm::SaveLogBeforeTheEnd() noexcept {
  if (!std::exchange(log_saved_, true)) SaveLog();
}

void MainForm::CopyAllText() noexcept {
  CopyFromPane(&LogPane::Text);
}

void MainForm::CopyText() noexcept {
  CopyFromPane(&LogPane::SelectedText);
}

// The clipboard is emptied first in every case, so copying nothing leaves it empty.
void MainForm::CopyFromPane(std::string (LogPane::*read)()) noexcept {
  ErrorState errors;
  errors.Attempt([&] { desktop_.ClearClipboard(); });
  std::string text;
  errors.Attempt([&] { text = (view_.Log().*read)(); });
  if (!text.empty()) errors.Attempt([&] { desktop_.PutClipboardText(text); });
}

void MainForm::ReportToLog(std::string_view error_text) noexcept {
  LogEntry(error_text);
  findings_.Error(error_text);
}

void MainForm::ReportInBox(std::string_view error_text, BoxIcon icon) noexcept {
  // A box that cannot be shown leaves nothing else to tell the user with.
  try {
    desktop_.MessageBox(error_text, icon);
  } catch (...) {
  }
}

}  // namespace tarn
