// The Windows side of the platform against the real system, where no end-to-end case reaches:
// damaged version resources, folders without a path, codes without a system message, and the
// owners of handles and windows.
#include <windows.h>

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "checks/file_version.h"
#include "checks/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/handles.h"
#include "services/win32/shell.h"
#include "services/win32/system_error.h"
#include "support/test_support.h"
#include "ui/file_dialog.h"
#include "ui/resource.h"

namespace tarn::win32 {
namespace {

std::string DescriptionOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(no failure)";
}

void PutWord(std::string& bytes, std::size_t at, std::uint16_t word) {
  bytes[at] = static_cast<char>(word & 0xFF);
  bytes[at + 1] = static_cast<char>(word >> 8);
}

TEST(Win32FileSystem, DamagedVersionResourcesGiveWhatTheRecordHolds) {
  test::TempFolder folder("platform-versions");
  std::ifstream in(CombinePath(GetFilePathOnly(ExePath()), "fixtures\\v6_1_7601_17514.dll"),
                   std::ios::binary);
  const std::string fixture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string key;
  for (char c : std::string_view("VS_VERSION_INFO")) key.append({c, '\0'});
  const std::size_t at = fixture.find(key);
  ASSERT_NE(at, std::string::npos);
  const struct {
    const char* damage;
    std::function<void(std::string&)> change;
    std::string version;
  } cases[] = {
      // The root block's value length (the word before its type) says the record is empty.
      {"an empty record", [&](std::string& b) { PutWord(b, at - 4, 0); }, "0.0.0"},
      // A value length far beyond the record: the copy stops at the record's thirteen words.
      {"a record too long", [&](std::string& b) { PutWord(b, at - 4, 0x4000); }, "6.1.7601.17514"},
      {"the file cut in the resource", [&](std::string& b) { b.resize(at + 20); }, ""},
      {"not a program", [](std::string& b) { b = "plain text"; }, ""},
  };
  Win32FileSystem files;
  for (const auto& c : cases) {
    std::string bytes = fixture;
    c.change(bytes);
    std::ofstream(folder / "damaged.dll", std::ios::binary | std::ios::trunc) << bytes;
    const auto record = files.FixedVersionInfo(folder / "damaged.dll");
    EXPECT_EQ(record ? VersionText(*record) : "", c.version) << c.damage;
  }
}

TEST(Win32Shell, GivesEmptyTextForAFolderWithoutAPathAndEveryCodeADescription) {
  Win32Shell shell;
  EXPECT_EQ(shell.SpecialFolder(38), "C:\\Program Files");
  EXPECT_EQ(shell.SpecialFolder(17), "");    // My Computer has no file-system path
  EXPECT_EQ(shell.SpecialFolder(0xFF), "");  // no such folder
  // Codes this Wine has no message for still get a text.
  for (DWORD code : {DWORD{0x80029C4A}, DWORD{0x800401F3}, DWORD{0x8000FFFF}}) {
    EXPECT_NE(DescriptionOf([&] { ThrowSystemError(code); }), "") << code;
    try {
      ThrowSystemError(code);
    } catch (const Failure& failure) {
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
