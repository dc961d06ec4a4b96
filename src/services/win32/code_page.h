// Text between the system's code page, in which the tool keeps every text, and the UTF-16 that
// COM takes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tarn::win32 {

inline std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(
      static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)),
      L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

inline std::string Narrow(const wchar_t* wide, int length) {
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr,
                                                                  0, nullptr, nullptr)),
                   '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), static_cast<int>(text.size()),
                        nullptr, nullptr);
  return text;
}

}  // namespace tarn::win32
