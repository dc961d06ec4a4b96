// Running a program to its end while the window stays responsive, and the application-wide mouse
// pointer that shows meanwhile.
#pragma once

#include <cstdint>
#include <string>

#include "services/platform.h"

namespace tarn::win32 {

// What the window does between two slices of a wait.
class EventPump {
 public:
  // Handles the window's pending events (repaints, clicks, keys) and returns.
  virtual void HandlePendingEvents() = 0;

 protected:
  ~EventPump() = default;
};

// The application-wide mouse pointer: over every window of the program while it is not the
// default. The values are the classic pointer kinds.
enum class Pointer { kDefault = 0, kHourglass = 11 };
Pointer AppPointer() noexcept;
// Back to the default, the pointer shown before the last change from the default returns.
void SetAppPointer(Pointer pointer) noexcept;
// For WM_SETCURSOR: shows the application-wide pointer; false when the window's own applies.
bool ShowAppPointer() noexcept;

// How RunAndWait starts its program and how long it waits for it.
struct RunOptions {
  std::uint32_t creation_flags = 0;
  // The program's full path; empty: the command line's first word, found by the system's search.
  std::string program;
  // Milliseconds after which the program, and whatever it started, is ended; 0: no limit.
  std::uint32_t time_limit_ms = 0;
};

// Starts the command line, waits for its end in 20 ms slices under the hourglass, the pump's
// events handled after each slice, and tells how it ended. Failing steps are passed over.
ProgramEnd RunAndWait(const std::string& command_line, EventPump& pump,
                      const RunOptions& options) noexcept;

}  // namespace tarn::win32
