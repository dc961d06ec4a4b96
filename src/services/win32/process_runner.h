// Running a program to its end while the window stays responsive, and the application-wide mouse
// pointer that shows meanwhile.
#pragma once

#include <cstdint>
#include <string>

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

// Starts the command line's program as FindProgram finds it, with the caller's creation flags,
// waits for its end in 20 ms slices with the pump's events handled between them under the
// hourglass, and gives its exit code read as signed; -1 when nothing could be started. Failing
// steps are passed over.
std::int32_t RunAndWait(const std::string& command_line, EventPump& pump,
                        std::uint32_t creation_flags) noexcept;

}  // namespace tarn::win32
