// The Windows side of the platform against the real system, where no end-to-end case reaches:
// codes without a system message, and the owners of handles and windows.
#include <windows.h>

#include <gtest/gtest.h>
#include <vector>

#include "services/win32/handles.h"
#include "services/win32/system_error.h"
#include "ui/file_dialog.h"
#include "ui/resource.h"

namespace tarn::win32 {
namespace {

TEST(SystemError, EveryCodeGetsADescriptionAndIsKeptBesideIt) {
  // Codes this Wine has no message for still get a text.
  for (DWORD code : {DWORD{0x80029C4A}, DWORD{0x800401F3}, DWORD{0x8000FFFF}}) {
    try {
      ThrowSystemError(code);
      ADD_FAILURE() << "no failure for " << code;
    } catch (const Failure& failure) {
      EXPECT_STRNE(failure.what(), "") << code;
      EXPECT_EQ(static_cast<DWORD>(failure.code()), code) << "the code is kept";
    }
  }
}

TEST(Handles, OneOwnerClosesOnceAndPutClosesWhatItHeldFirst) {
  UniqueHandle first(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = first.get();
  UniqueHandle moved(std::move(first));
  EXPECT_TRUE(!first && moved.get() == raw);
  *moved.put() = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "put() closes the handle held before";
  EXPECT_TRUE(moved);
  EXPECT_FALSE(UniqueFind(INVALID_HANDLE_VALUE));
}

std::vector<HFONT> fonts_set;

// Refuses the file dialog's folder list, once its window and first controls exist.
LRESULT CALLBACK RefuseFolderList(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && reinterpret_cast<CBT_CREATEWNDA*>(lparam)->lpcs->hMenu ==
                                    reinterpret_cast<HMENU>(INT_PTR{IDC_DIR_FOLDERS}))
    return 1;
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK NoteFonts(int code, WPARAM wparam, LPARAM lparam) {
  const auto& sent = *reinterpret_cast<CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent.message == WM_SETFONT)
    fonts_set.push_back(reinterpret_cast<HFONT>(sent.wParam));
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

void Unhook(HHOOK hook) {
  ::UnhookWindowsHookEx(hook);
}

TEST(Handles, AFileDialogWhoseBuildingFailsHalfWayLeavesNoWindowAndNoFont) {
  using UniqueHook = UniqueAny<HandleTraits<HHOOK, Unhook>>;
  const UniqueHook refuse(
      ::SetWindowsHookExA(WH_CBT, RefuseFolderList, nullptr, ::GetCurrentThreadId()));
  const UniqueHook note(
      ::SetWindowsHookExA(WH_CALLWNDPROC, NoteFonts, nullptr, ::GetCurrentThreadId()));
  ASSERT_TRUE(refuse && note);
  EXPECT_THROW(FileDialogWindow dialog(nullptr), Failure);
  EXPECT_EQ(::FindWindowA(TARN_FILE_DIALOG_CLASS, nullptr), nullptr);
  ASSERT_FALSE(fonts_set.empty());
  for (HFONT font : fonts_set) EXPECT_EQ(::GetObjectType(font), 0u) << "a font outlived the dialog";
}

}  // namespace
}  // namespace tarn::win32
