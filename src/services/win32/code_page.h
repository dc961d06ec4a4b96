// Text between the system's code page, in which the tool keeps every text, the UTF-16 that COM
// takes, and the UTF-8 of the console edition's JSON report.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tarn::win32 {

inline std::wstring Wide(std::string_view text, UINT code_page = CP_ACP) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(
      static_cast<std::size_t>(::MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0)),
      L'\0');
  ::MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(),
                        static_cast<int>(wide.size()));
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

// A text of the system's code page in UTF-8.
inline std::string Utf8(std::string_view text) {
  // Plain ASCII is the same in every code page and in UTF-8.
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(text);
  const std::wstring wide = Wide(text);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  std::string utf8(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length,
                                                                  nullptr, 0, nullptr, nullptr)),
                   '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
  return utf8;
}

// A UTF-8 text in the system's code page, as the console edition writes its lines.
inline std::string FromUtf8(std::string_view utf8) {
  bool ascii = true;
  for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(utf8);
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(
      static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
      L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return Narrow(wide.data(), static_cast<int>(wide.size()));
}

// A UTF-8 text in the system's code page, or nothing when the text is no UTF-8 or holds a character
// that the code page lacks: FromUtf8 would put '?' or a look-alike in its place.
inline std::optional<std::string> ExactlyFromUtf8(std::string_view utf8) {
  bool ascii = true;
  for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii || ::GetACP() == CP_UTF8) return std::string(utf8);
  const int size = static_cast<int>(utf8.size());
  const int length =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
  BOOL lossy = FALSE;
  const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                          nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return std::nullopt;
  std::string text(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, text.data(), bytes,
                        nullptr, nullptr);
  return text;
}

}  // namespace tarn::win32
