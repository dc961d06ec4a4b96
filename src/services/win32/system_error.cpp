#include "services/win32/system_error.h"

namespace tarn::win32 {

std::string SystemMessage(DWORD code) {
  char* buffer = nullptr;
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) ::LocalFree(buffer);
  return text;
}

void ThrowSystemError(DWORD code) {
  throw Failure(DescribeSystemError(code, SystemMessage(code)), static_cast<std::int32_t>(code));
}

void ThrowLastError() {
  ThrowSystemError(::GetLastError());
}

}  // namespace tarn::win32
