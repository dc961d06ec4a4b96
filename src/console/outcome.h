// Which item lines passed, and the exit code that the run earns: the same for the text report and
// the JSON report.
#pragma once

#include <optional>

#include "form/findings.h"

namespace tarn::console {

enum ExitCode { kPassed = 0, kFailed = 1, kBadUsage = 2, kStopped = 3 };

class Outcome final : public Findings {
 public:
  void LineBegun(int line, std::string_view text) noexcept override;
  // Counts the line, if it did something.
  void LineEnded() noexcept override;
  void Skipped() noexcept override;
  void EmptyVariable(std::string_view name) noexcept override;
  void UnknownType(std::string_view key, std::string_view value) noexcept override;
  void Action(std::string_view type, std::string_view value) noexcept override;
  void Exists(bool exists) noexcept override;
  void Registered(bool registered) noexcept override;
  void Created(bool created, std::string_view description) noexcept override;
  void FolderChosen(std::string_view folder) noexcept override;
  void Error(std::string_view error_text) noexcept override;
  void RunEnded(RunEnd end) noexcept override;

  // The current line differs from the good PC's; or, with no line, the good PC had an item that
  // this run has not.
  void Drifted() noexcept;
  // A component that a run registering nothing finds not registered to it.
  void Unregistered() noexcept;
  bool in_line() const { return in_line_; }
  bool acted() const { return acted_; }
  bool line_failed() const { return failed_; }
  int passed_count() const { return passed_count_; }
  int failed_count() const { return failed_count_; }
  ExitCode exit_code() const;

 private:
  bool in_line_ = false;
  bool failed_ = false;  // the current line's item has not passed
  bool acted_ = false;   // the current line did something: it counts, and the report has it
  bool drifted_ = false;
  int passed_count_ = 0, failed_count_ = 0;
  std::optional<RunEnd> end_;
};

}  // namespace tarn::console
