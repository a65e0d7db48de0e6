#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "common/error_report.h"
#include "common/failure.h"
#include "common/maker.h"
#include "common/trap.h"
#include "recording_host.h"

namespace plovane::test {
namespace {

const std::string kEmailRequest =
    "Please email screenshot of this message to " + std::string(maker::kSupportEmail);

TEST(ErrorReportTest, TextIsComposedPieceByPieceWithNothingBetween) {
  EXPECT_EQ(
      composeErrorReport("File not found", label::kFormLoad, 106),
      "File not found\r\nin Plovane2021/08/31.Form1.Form_Load at line 106\r\r" + kEmailRequest);
  EXPECT_EQ(composeErrorReport("Path not found", label::kGetSubDirectories2016, 150),
            "Path not found\r\nin MorvidTitle2021/08/31.AddFolder.GetSubDirectories2016 at line "
            "150\r\r" +
                kEmailRequest);
  // An empty description still leaves the line break: the label always starts line two.
  EXPECT_EQ(composeErrorReport("", label::kPushButton5, 1000),
            "\r\nin Plovane2021/08/31.Form1.PushButton5_Click at line 1000\r\r" + kEmailRequest);
}

// A trapped procedure in miniature: four steps, two of which fail, then an end marker.
struct TwoFailingSteps {
  RecordingHost host;
  bool reachedEnd = false;
  int stepsRun = 0;

  void run() {
    Trap trap(host, label::kPushButton5);
    trap.step(100, [&] { ++stepsRun; });
    trap.step(102, [&] {
      ++stepsRun;
      throw Failure("Device unavailable", failure_code::kDeviceError);
    });
    trap.step(104, [&] {
      ++stepsRun;
      throw std::runtime_error("Disk full");
    });
    trap.step(106, [&] { ++stepsRun; });
    reachedEnd = true;
  }
};

TEST(TrapTest, TwoFailingStepsGiveTwoReportsAndTheProcedureReachesItsEnd) {
  TwoFailingSteps procedure;
  procedure.run();

  EXPECT_TRUE(procedure.reachedEnd);
  EXPECT_EQ(procedure.stepsRun, 4);
  ASSERT_EQ(procedure.host.errorReports.size(), 2u);
  EXPECT_EQ(procedure.host.errorReports[0],
            composeErrorReport("Device unavailable", label::kPushButton5, 102));
  EXPECT_EQ(procedure.host.errorReports[1],
            composeErrorReport("Disk full", label::kPushButton5, 104));
  EXPECT_TRUE(procedure.host.messages.empty());
}

TEST(TrapTest, FailedTestOfAConditionalLetsTheGuardedWorkRun) {
  RecordingHost host;
  Trap trap(host, label::kFormLoad);

  bool guardedRan = false;
  if (trap.test(108, []() -> bool { throw Failure("Object required"); })) guardedRan = true;
  EXPECT_TRUE(guardedRan);
  ASSERT_EQ(host.errorReports.size(), 1u);
  EXPECT_EQ(host.errorReports[0], composeErrorReport("Object required", label::kFormLoad, 108));

  // A test that does not fail answers what it tested, without a report.
  EXPECT_FALSE(trap.test(110, [] { return false; }));
  EXPECT_TRUE(trap.test(112, [] { return true; }));
  EXPECT_EQ(host.errorReports.size(), 1u);
}

TEST(TrapTest, AssignKeepsTheOldValueWhenItsWorkFails) {
  RecordingHost host;
  Trap trap(host, label::kFormLoad);

  std::string value = "before";
  trap.assign(100, value, []() -> std::string { throw Failure("Invalid procedure call"); });
  EXPECT_EQ(value, "before");
  trap.assign(102, value, [] { return std::string("after"); });
  EXPECT_EQ(value, "after");
  EXPECT_EQ(host.errorReports.size(), 1u);
}

TEST(TrapTest, RepeatsOfOneFailureAreShownOnceButDistinctStepsEachGetAReport) {
  RecordingHost host;
  Trap trap(host, label::kPushButton6);

  int passes = 0;
  for (int item = 0; item < 1000; ++item) {
    trap.step(120, [] { throw Failure("Bad file name or number", 52); });
    trap.step(122, [] { throw Failure("Bad file name or number", 52); });
    ++passes;
  }
  EXPECT_EQ(passes, 1000);
  ASSERT_EQ(host.errorReports.size(), 2u);
  EXPECT_EQ(host.errorReports[0],
            composeErrorReport("Bad file name or number", label::kPushButton6, 120));
  EXPECT_EQ(host.errorReports[1],
            composeErrorReport("Bad file name or number", label::kPushButton6, 122));
  EXPECT_EQ(trap.reportsShown(), 2u);
  EXPECT_EQ(trap.repeatsSilenced(), 1998u);

  // The same step failing in a different way is a different failure.
  trap.step(120, [] { throw Failure("Disk full", failure_code::kDiskFull); });
  ASSERT_EQ(host.errorReports.size(), 3u);
  EXPECT_EQ(host.errorReports[2], composeErrorReport("Disk full", label::kPushButton6, 120));
}

TEST(TrapTest, EachRunOfAProcedureReportsItsFailuresAfresh) {
  RecordingHost host;
  for (int run = 0; run < 2; ++run) {
    Trap trap(host, label::kPushButton10);
    trap.step(104, [] { throw Failure("Out of memory"); });
  }
  EXPECT_EQ(host.errorReports.size(), 2u);
}

TEST(TrapTest, AnExceptionOfAnyKindIsReportedAndTheProcedureGoesOn) {
  RecordingHost host;
  Trap trap(host, label::kPushButton7);
  bool after = false;
  trap.step(100, [] { throw 42; });
  trap.step(102, [&] { after = true; });
  EXPECT_TRUE(after);
  ASSERT_EQ(host.errorReports.size(), 1u);
  const std::string& report = host.errorReports[0];
  const std::string tail = "\r\n" + std::string(label::kPushButton7) + "at line 100\r\r";
  EXPECT_NE(report.find(tail), std::string::npos) << report;
}

}  // namespace
}  // namespace plovane::test
