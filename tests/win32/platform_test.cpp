// The Windows side of the platform against the real system, where no end-to-end case reaches:
// codes without a system message.
#include <windows.h>

#include <gtest/gtest.h>

#include "services/win32/system_error.h"

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

}  // namespace
}  // namespace tarn::win32
