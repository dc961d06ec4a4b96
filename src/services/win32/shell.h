#pragma once

#include <windows.h>

#include "services/platform.h"

namespace tarn::win32 {

class Win32Shell final : public Shell {
 public:
  // The window handed to the shell as the owner of its lookups.
  void Attach(HWND owner) { owner_ = owner; }

  std::string SpecialFolder(int csidl) override;
  std::string BrowseForFolder(std::string_view start_folder, std::string_view title,
                              int root) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace tarn::win32
