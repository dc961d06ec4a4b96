#include "services/win32/process_runner.h"

#include <windows.h>

#include <algorithm>

#include "services/win32/handles.h"

namespace tarn::win32 {
namespace {

constexpr DWORD kWaitSlice = 20;      // milliseconds
constexpr DWORD kEndingWait = 30000;  // milliseconds for an ended program to be gone

Pointer current = Pointer::kDefault;
HCURSOR shown_before = nullptr;

HCURSOR CursorOf(Pointer pointer) {
  return ::LoadCursorA(nullptr, pointer == Pointer::kHourglass ? IDC_WAIT : IDC_ARROW);
}

// Waits until the process has ended, or `limit_ms` (0: none) has passed; true at the limit. A
// slice ends early when the window has something new to handle, so that it answers at once.
// The events are handled after every wait, the last one too: an Exit clicked just before the
// program's end is taken within the run, not after it.
bool WaitForTheEnd(HANDLE process, EventPump& pump, DWORD limit_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + limit_ms;
  for (;;) {
    DWORD slice = kWaitSlice;
    if (limit_ms != 0) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= deadline) return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
      slice = static_cast<DWORD>(std::min<ULONGLONG>(slice, deadline - now));
    }
    const DWORD woke = ::MsgWaitForMultipleObjects(1, &process, FALSE, slice, QS_ALLINPUT);
    try {
      pump.HandlePendingEvents();
    } catch (...) {
    }
    if (woke != WAIT_TIMEOUT && woke != WAIT_OBJECT_0 + 1) return false;
  }
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

ProgramEnd RunAndWait(const std::string& command_line, EventPump& pump,
                      const RunOptions& options) noexcept {
  const Pointer before = AppPointer();
  SetAppPointer(Pointer::kHourglass);
  ProgramEnd end{ProgramEnd::Kind::kNotStarted, 0, options.program};
  try {
    // Only the size is set: no window placement, no show command, no standard handles.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string line = command_line;  // CreateProcessA may write into it
    // Under a limit, the program and what it starts belong to a job, so that the limit ends them
    // all; it starts suspended, so that it starts nothing before it belongs to the job.
    UniqueHandle job(options.time_limit_ms ? ::CreateJobObjectA(nullptr, nullptr) : nullptr);
    const DWORD flags = options.creation_flags | (job ? CREATE_SUSPENDED : 0);
    if (::CreateProcessA(options.program.empty() ? nullptr : options.program.c_str(), line.data(),
                         nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &started)) {
      UniqueHandle process(started.hProcess), thread(started.hThread);
      if (job) {
        // Inside a job that forbids another (before Windows 8), only the program itself can be
        // ended at the limit.
        if (!::AssignProcessToJobObject(job.get(), process.get())) job.reset();
        ::ResumeThread(thread.get());
      }
      const bool timed_out = WaitForTheEnd(process.get(), pump, options.time_limit_ms);
      if (timed_out) {
        const bool ending = job ? ::TerminateJobObject(job.get(), ERROR_TIMEOUT)
                                : ::TerminateProcess(process.get(), ERROR_TIMEOUT);
        if (ending) ::WaitForSingleObject(process.get(), kEndingWait);
        end.kind = ProgramEnd::Kind::kTimedOut;
      } else {
        DWORD code = 0;
        if (::GetExitCodeProcess(process.get(), &code)) {
          end.kind = ProgramEnd::Kind::kExited;
          end.exit_code = static_cast<std::int32_t>(code);
        } else {
          end.kind = ProgramEnd::Kind::kNoExitCode;
        }
      }
      thread.reset();
      process.reset();
    }
  } catch (...) {
  }
  SetAppPointer(before);
  return end;
}

}  // namespace tarn::win32
