#include "console/outcome.h"

namespace tarn::console {

void Outcome::LineBegun(int, std::string_view) noexcept {
  in_line_ = true;
  failed_ = acted_ = false;
}

void Outcome::LineEnded() noexcept {
  if (!in_line_) return;
  in_line_ = false;
  if (acted_) ++(failed_ ? failed_count_ : passed_count_);
}

void Outcome::Skipped() noexcept {
  failed_ = acted_ = true;
}

void Outcome::EmptyVariable(std::string_view) noexcept {
  failed_ = acted_ = true;
}

void Outcome::UnknownType(std::string_view, std::string_view) noexcept {
  failed_ = acted_ = true;
}

void Outcome::Action(std::string_view, std::string_view) noexcept {
  acted_ = true;
}

void Outcome::Exists(bool exists) noexcept {
  // An install folder that is missing may still be chosen; a file that is missing has failed.
  if (!exists) failed_ = true;
}

void Outcome::Registered(bool registered) noexcept {
  if (!registered) failed_ = true;
}

void Outcome::Created(bool created, std::string_view) noexcept {
  if (!created) failed_ = true;
}

void Outcome::FolderChosen(std::string_view folder) noexcept {
  if (!folder.empty()) failed_ = false;
}

void Outcome::Error(std::string_view) noexcept {
  failed_ = true;
}

void Outcome::RunEnded(RunEnd end) noexcept {
  LineEnded();  // a line that a failure broke off
  end_ = end;
}

void Outcome::Drifted() noexcept {
  if (in_line_) failed_ = true;
  drifted_ = true;
}

void Outcome::Unregistered() noexcept {
  failed_ = true;
}

ExitCode Outcome::exit_code() const {
  if (end_ != RunEnd::kCompleted) return kStopped;
  return failed_count_ > 0 || drifted_ ? kFailed : kPassed;
}

}  // namespace tarn::console
