#include "services/win32/process_runner.h"

#include <windows.h>

#include "services/platform.h"
#include "services/win32/handles.h"
#include "services/win32/search_order.h"

namespace tarn::win32 {
namespace {

constexpr DWORD kWaitSlice = 20;  // milliseconds

Pointer current = Pointer::kDefault;
HCURSOR shown_before = nullptr;

HCURSOR CursorOf(Pointer pointer) {
  return ::LoadCursorA(nullptr, pointer == Pointer::kHourglass ? IDC_WAIT : IDC_ARROW);
}

}  // namespace

Pointer AppPointer() noexcept {
  return current;
}

void SetAppPointer(Pointer pointer) noexcept {
  if (pointer == current) return;
  if (current == Pointer::kDefault) shown_before = ::GetCursor();
  current = pointer;
  ::SetCursor(pointer == Pointer::kDefault ? shown_before : CursorOf(pointer));
}

bool ShowAppPointer() noexcept {
  if (current == Pointer::kDefault) return false;
  ::SetCursor(CursorOf(current));
  return true;
}

std::int32_t RunAndWait(const std::string& command_line, EventPump& pump,
                        std::uint32_t creation_flags) noexcept {
  const Pointer before = AppPointer();
  SetAppPointer(Pointer::kHourglass);
  std::int32_t exit_code = Processes::kCannotStart;
  try {
    // Only the size is set: no window placement, no show command, no standard handles.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string line = command_line;  // CreateProcessA may write into it
    // The program found once, so that whoever explains its failure names the one that ran.
    const std::string program = FindProgram(command_line);
    if (::CreateProcessA(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                         TRUE, creation_flags, nullptr, nullptr, &startup, &started)) {
      UniqueHandle process(started.hProcess), thread(started.hThread);
      exit_code = 0;
      // A slice ends early when the window has something new to handle, so it answers at once
      // rather than after the rest of the slice.
      HANDLE waited = process.get();
      DWORD woke;
      while ((woke = ::MsgWaitForMultipleObjects(1, &waited, FALSE, kWaitSlice, QS_ALLINPUT)) ==
                 WAIT_TIMEOUT ||
             woke == WAIT_OBJECT_0 + 1) {
        try {
          pump.HandlePendingEvents();
        } catch (...) {
        }
      }
      DWORD code = 0;
      if (::GetExitCodeProcess(process.get(), &code)) exit_code = static_cast<std::int32_t>(code);
      thread.reset();
      process.reset();
    }
  } catch (...) {
  }
  SetAppPointer(before);
  return exit_code;
}

}  // namespace tarn::win32
