#pragma once

#include <windows.h>

#include <functional>

#include "services/platform.h"

namespace tarn::win32 {

class Win32Desktop final : public Desktop {
 public:
  // `owner` owns the message boxes and the clipboard; `before_modal` runs before a box opens,
  // so that everything already reported is on the screen behind it.
  void Attach(HWND owner, std::function<void()> before_modal);

  void MessageBox(std::string_view text, BoxIcon icon) override;
  bool Question(std::string_view text) override;
  void ClearClipboard() override;
  void PutClipboardText(std::string_view text) override;
  LocalDateTime Now() override;
  std::string ShortDate(const LocalDateTime& when) override;
  std::string LongTime(const LocalDateTime& when) override;
  std::string UpperCase(std::string_view text) override;
  std::string ExeFolder() override;

 private:
  HWND owner_ = nullptr;
  std::function<void()> before_modal_;
};

// The full path of the running executable.
std::string ExePath();

}  // namespace tarn::win32
