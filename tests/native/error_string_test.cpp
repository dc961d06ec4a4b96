#include "services/error_string.h"

#include <gtest/gtest.h>

#include "services/failure.h"

namespace tarn {
namespace {

struct ErrorStringCase {
  const char* module;
  const char* procedure;
  int line;
  const char* description;
  const char* expected;
};

TEST(ErrorString, BuildsThePrefixFromTheGivenParts) {
  const ErrorStringCase cases[] = {
      {"frmMain", "GetFileInfo", 0, "D", "[frmMain.GetFileInfo] D"},
      {"Win32API", "GetSystemFolder", 0, "D", "[Win32API.GetSystemFolder] D"},
      {"frmMain", "Process", 12, "D", "[frmMain.Process (12)] D"},
      {"frmMain", "", 0, "D", "[frmMain] D"},
      {"", "GetFileInfo", 0, "D", "[GetFileInfo] D"},
      {"", "", 12, "D", "[ (12)] D"},
      {"", "", -7, "D", "[ (-7)] D"},
      {"", "", 0, "D", "D"},
      {"", "", 0, "", ""},
      {"frmMain", "SaveLog", 0, "", "[frmMain.SaveLog] "},
  };
  for (const ErrorStringCase& c : cases)
    EXPECT_EQ(ErrorString(c.description, c.procedure, c.line, c.module), c.expected)
        << c.module << "/" << c.procedure << "/" << c.line;
}

TEST(SystemErrorDescription, PrefersClassicWordingThenThePlatformsNeverEmpty) {
  EXPECT_EQ(DescribeSystemError(2, "The system cannot find the file specified.\r\n"),
            "File not found");
  EXPECT_EQ(DescribeSystemError(0x80070005, ""), "Permission denied");
  EXPECT_EQ(DescribeSystemError(0x800401F3, ""), "ActiveX component can't create object");
  EXPECT_EQ(DescribeSystemError(1234, "Some platform text.\r\n"), "Some platform text.");
  EXPECT_EQ(DescribeSystemError(0x8000FFFF, " \r\n"), "Unexpected error (0x8000FFFF)");
}

}  // namespace
}  // namespace tarn
