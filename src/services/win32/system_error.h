// Turning a failed Windows call into a Failure with the classic or the system's description.
#pragma once

#include <windows.h>

#include "services/failure.h"

namespace tarn::win32 {

// The system's own message text for an error code or HRESULT, or empty when it has none.
std::string SystemMessage(DWORD code);

[[noreturn]] void ThrowSystemError(DWORD code);
[[noreturn]] void ThrowLastError();

}  // namespace tarn::win32
