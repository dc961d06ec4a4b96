// The Windows side of the platform against the real system, where no end-to-end case reaches:
// codes without a system message, and the file dialog outlived by its window.
#include <windows.h>

#include <gtest/gtest.h>
#include <memory>

#include "services/win32/system_error.h"
#include "ui/file_dialog.h"

namespace tarn::win32 {
namespace {

TEST(SystemError, EveryCodeGetsADescription) {
  // Codes this Wine has no message for still get a text.
  for (DWORD code : {DWORD{0x80029C4A}, DWORD{0x800401F3}, DWORD{0x8000FFFF}}) {
    try {
      ThrowSystemError(code);
      ADD_FAILURE() << "no failure for " << code;
    } catch (const Failure& failure) {
      EXPECT_STRNE(failure.what(), "") << code;
    }
  }
}

TEST(FileDialog, ItsWindowGoneWithItsOwnerIsNotDestroyedAgain) {
  HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
  ASSERT_NE(owner, nullptr);
  auto dialog = std::make_unique<FileDialogWindow>(owner);
  HWND window = dialog->hwnd();
  ::DestroyWindow(owner);  // as a WM_CLOSE to the main window does, with the dialog open
  ASSERT_FALSE(::IsWindow(window));
  // A second DestroyWindow of the handle fails, and says so in the last error.
  ::SetLastError(ERROR_SUCCESS);
  dialog.reset();
  EXPECT_EQ(::GetLastError(), DWORD{ERROR_SUCCESS}) << "its window was destroyed twice";
}

}  // namespace
}  // namespace tarn::win32
