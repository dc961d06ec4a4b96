#include "services/failure.h"

#include <gtest/gtest.h>
#include <new>
#include <vector>

namespace tarn {
namespace {

struct RecordingReporter final : Reporter {
  std::vector<std::string> log;
  std::vector<std::pair<std::string, BoxIcon>> boxes;
  void ReportToLog(std::string_view text) noexcept override { log.emplace_back(text); }
  void ReportInBox(std::string_view text, BoxIcon icon) noexcept override {
    boxes.emplace_back(std::string(text), icon);
  }
};

TEST(FailureModes, EachModeReportsWhereItShouldAndLeaves) {
  struct Case {
    Handler handler;
    std::vector<std::string> log;
    std::vector<std::pair<std::string, BoxIcon>> boxes;
  };
  const Case cases[] = {
      {{Mode::kLogAndLeave, "GetFileInfo"}, {"[frmMain.GetFileInfo] File not found"}, {}},
      {{Mode::kBoxAndLeave, "SaveLog"},
       {},
       {{"[frmMain.SaveLog] File not found", BoxIcon::kExclamation}}},
      {{Mode::kBoxAndLeave, "FileDialog", kMainModule, BoxIcon::kNone},
       {},
       {{"[frmMain.FileDialog] File not found", BoxIcon::kNone}}},
      {{Mode::kBoxAndLeave, "GetSystemFolder", kWin32Module},
       {},
       {{"[Win32API.GetSystemFolder] File not found", BoxIcon::kExclamation}}},
      {{Mode::kBoxAndLeave, "", {}, BoxIcon::kExclamation, true},
       {},
       {{"File not found", BoxIcon::kExclamation}}},
      {{Mode::kSilentDefault, {}}, {}, {}},
  };
  for (const Case& c : cases) {
    RecordingReporter reporter;
    bool reached_after_failure = false;
    bool completed = Guarded(c.handler, reporter, [&] {
      throw Failure("File not found");
      reached_after_failure = true;
    });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(reached_after_failure);
    EXPECT_EQ(reporter.log, c.log) << c.handler.procedure;
    EXPECT_EQ(reporter.boxes, c.boxes) << c.handler.procedure;
  }
}

TEST(FailureModes, TwoFailuresInARowGiveOneReportBecauseTheFirstLeaves) {
  RecordingReporter reporter;
  Guarded({Mode::kLogAndLeave, "GetFileInfo"}, reporter, [&] {
    throw Failure("first");
    throw Failure("second");
  });
  EXPECT_EQ(reporter.log, std::vector<std::string>{"[frmMain.GetFileInfo] first"});
}

TEST(FailureModes, AnyExceptionGetsANonEmptyDescription) {
  RecordingReporter reporter;
  Guarded({Mode::kLogAndLeave, "A"}, reporter, [] { throw std::bad_alloc(); });
  Guarded({Mode::kLogAndLeave, "B"}, reporter, [] { throw std::runtime_error(""); });
  Guarded({Mode::kLogAndLeave, "C"}, reporter, [] { throw 42; });
  EXPECT_EQ(reporter.log,
            (std::vector<std::string>{"[frmMain.A] Out of memory", "[frmMain.B] Unexpected error",
                                      "[frmMain.C] Unexpected error"}));
}

TEST(FailureModes, IgnoreAndContinueKeepsTheLastDescriptionUntilCleared) {
  ErrorState errors;
  int value = 1;
  EXPECT_FALSE(errors.Attempt([&] {
    throw Failure("first");
    value = 2;
  }));
  EXPECT_TRUE(errors.Attempt([&] { value += 10; }));
  EXPECT_EQ(value, 11);  // the abandoned statement left the value alone, the next one ran
  EXPECT_EQ(errors.description(), "first");
  errors.Attempt([] { throw Failure("second"); });
  EXPECT_EQ(errors.description(), "second");
  errors.Clear();
  EXPECT_FALSE(errors.failed());
  EXPECT_EQ(errors.description(), "");
}

}  // namespace
}  // namespace tarn
