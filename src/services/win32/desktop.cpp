#include "services/win32/desktop.h"

#include <cstring>

#include "services/paths.h"
#include "services/texts.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

SYSTEMTIME ToSystemTime(const LocalDateTime& when) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(when.year);
  time.wMonth = static_cast<WORD>(when.month);
  time.wDay = static_cast<WORD>(when.day);
  time.wHour = static_cast<WORD>(when.hour);
  time.wMinute = static_cast<WORD>(when.minute);
  time.wSecond = static_cast<WORD>(when.second);
  return time;
}

UINT IconStyle(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kExclamation:
      return MB_ICONEXCLAMATION;
    case BoxIcon::kInformation:
      return MB_ICONINFORMATION;
    case BoxIcon::kNone:
      break;
  }
  return 0;
}

}  // namespace

void Win32Desktop::Attach(HWND owner, std::function<void()> before_modal) {
  owner_ = owner;
  before_modal_ = std::move(before_modal);
}

void Win32Desktop::MessageBox(std::string_view text, BoxIcon icon) {
  if (before_modal_) before_modal_();
  const std::string prompt(text);
  const std::string title(text::kAppTitle);
  if (::MessageBoxA(owner_, prompt.c_str(), title.c_str(), MB_OK | IconStyle(icon)) == 0)
    ThrowLastError();
}

bool Win32Desktop::Question(std::string_view text) {
  if (before_modal_) before_modal_();
  const std::string prompt(text);
  const std::string title(text::kAppTitle);
  const int answer =
      ::MessageBoxA(owner_, prompt.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONINFORMATION);
  if (answer == 0) ThrowLastError();
  return answer == IDOK;
}

void Win32Desktop::ClearClipboard() {
  ClipboardSession clipboard(owner_);
  if (!clipboard.is_open()) ThrowLastError();
  if (!::EmptyClipboard()) ThrowLastError();
}

void Win32Desktop::PutClipboardText(std::string_view text) {
  UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
  if (!memory) ThrowLastError();
  char* bytes = static_cast<char*>(::GlobalLock(memory.get()));
  if (bytes == nullptr) ThrowLastError();
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  ::GlobalUnlock(memory.get());

  ClipboardSession clipboard(owner_);
  if (!clipboard.is_open()) ThrowLastError();
  if (::SetClipboardData(CF_TEXT, memory.get()) == nullptr) ThrowLastError();
  memory.release();  // the clipboard owns it now
}

LocalDateTime Win32Desktop::Now() {
  SYSTEMTIME time;
  ::GetLocalTime(&time);
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

std::string Win32Desktop::ShortDate(const LocalDateTime& when) {
  const SYSTEMTIME time = ToSystemTime(when);
  char buffer[128];
  int length =
      ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, sizeof buffer);
  if (length == 0) ThrowLastError();
  return std::string(buffer, static_cast<std::size_t>(length - 1));
}

std::string Win32Desktop::LongTime(const LocalDateTime& when) {
  const SYSTEMTIME time = ToSystemTime(when);
  char buffer[128];
  int length = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, sizeof buffer);
  if (length == 0) ThrowLastError();
  return std::string(buffer, static_cast<std::size_t>(length - 1));
}

std::string Win32Desktop::UpperCase(std::string_view text) {
  std::string upper(text);
  if (!upper.empty()) ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

std::string Win32Desktop::ExeFolder() {
  return GetFilePathOnly(ExePath());
}

std::string ExePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowLastError();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // The path in the form that every other call takes: a program started from a share may be
  // given its path as \\?\UNC\server\share\..., or by Wine as UNC\server\share\...
  for (const std::string_view prefix : {"\\\\?\\UNC\\", "UNC\\"}) {
    if (path.starts_with(prefix)) return "\\\\" + path.substr(prefix.size());
  }
  return path;
}

}  // namespace tarn::win32
