// Failures and the four ways a procedure handles them.
//
// Platform wrappers and the core raise a Failure (or let a standard exception through); every
// procedure then decides on entry how its own failures end:
//   1. LogAndLeave: the error text goes to the log pane, the procedure leaves;
//   2. BoxAndLeave: the error text goes to a message box, the procedure leaves after it is closed;
//   3. SilentDefault: nothing is reported, the procedure returns its failure value;
//   4. IgnoreAndContinue: the failing statement is abandoned and the next one runs.
// Leaving means unwinding to the procedure's exit point, where RAII runs its closing steps.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "services/texts.h"

namespace tarn {

// A failure's description, and the system's code for it (an error code or an HRESULT; 0 when
// it has none), which the COM checks need beside the text.
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& description, std::int32_t code = 0)
      : std::runtime_error(description), code_(code) {}
  std::int32_t code() const noexcept { return code_; }

 private:
  std::int32_t code_;
};

// The description of the exception being handled; call only inside a catch block. Never empty.
std::string CurrentDescription() noexcept;

// Classic wording for a system error code or HRESULT, or empty when the tool has none of its own.
std::string_view ClassicDescription(std::uint32_t code) noexcept;

// The description of a failed system call: the classic wording when the tool has one, else the
// platform's own text, else `fallback`, else a text naming the code. Never empty.
std::string DescribeSystemError(std::uint32_t code, std::string_view platform_text,
                                std::string_view fallback = {});

enum class BoxIcon { kNone, kExclamation, kInformation };

enum class Mode { kLogAndLeave = 1, kBoxAndLeave = 2, kSilentDefault = 3, kIgnoreAndContinue = 4 };

inline constexpr std::string_view kMainModule = text::kMainModule;
inline constexpr std::string_view kWin32Module = text::kWin32Module;

struct Handler {
  Mode mode;
  std::string_view procedure;
  std::string_view module = kMainModule;
  BoxIcon icon = BoxIcon::kExclamation;
  bool bare_description = false;  // the box shows the description without the bracketed prefix
};

// Where modes 1 and 2 send their error text.
class Reporter {
 public:
  virtual void ReportToLog(std::string_view error_text) noexcept = 0;
  virtual void ReportInBox(std::string_view error_text, BoxIcon icon) noexcept = 0;

 protected:
  ~Reporter() = default;
};

// Makes the report that the handler's mode asks for (none for modes 3 and 4).
void Report(const Handler& handler, Reporter& reporter, std::string_view description) noexcept;

// Runs `body` under `handler`. True when the body ran to its end; false after a failure, which
// has then been reported as the handler's mode says. No exception leaves.
template <typename Body>
bool Guarded(const Handler& handler, Reporter& reporter, Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    Report(handler, reporter, CurrentDescription());
    return false;
  }
}

// The pending failure of a procedure that runs statements in mode 4: a failed statement is
// abandoned, and its description stays readable until cleared or replaced.
class ErrorState {
 public:
  template <typename Statement>
  bool Attempt(Statement&& statement) noexcept {
    try {
      statement();
      return true;
    } catch (...) {
      failed_ = true;
      description_ = CurrentDescription();
      return false;
    }
  }
  void Clear() noexcept {
    failed_ = false;
    description_.clear();
  }
  bool failed() const noexcept { return failed_; }
  const std::string& description() const noexcept { return description_; }

 private:
  bool failed_ = false;
  std::string description_;
};

}  // namespace tarn
