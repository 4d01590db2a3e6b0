#include "tests/support/Recorders.h"

#include "engine/ErrorTrap.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

using namespace Quorvane;

using Samples::RecordingErrors;

TEST(ErrorTrap, ReportTextIsExact)
{
    const ErrorReport report{"Permission denied", "Form1", "PushButton10_Click", 110};
    EXPECT_EQ(formatErrorReport(report),
              "Permission denied\r\n"
              "in Quorvane2/19/2015.Form1.PushButton10_Click at line 110\r\r"
              "Please email screenshot of this message to support@example.com");
}

TEST(ErrorTrap, FailingStepIsReportedAndLaterStepsStillRun)
{
    RecordingErrors reporter;
    TrappedProcedure procedure(reporter, "List", "RemoveDupesAll");
    std::vector<int> ran;
    EXPECT_TRUE(procedure.step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(procedure.step(102, [] { throw std::runtime_error("Subscript out of range"); }));
    EXPECT_FALSE(procedure.step(104, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(procedure.step(106, [] { throw 42; }));
    EXPECT_TRUE(procedure.step(108, [&] { ran.push_back(108); }));

    EXPECT_EQ(ran, (std::vector<int>{100, 108}));
    ASSERT_EQ(reporter.reports.size(), 3u);
    EXPECT_EQ(reporter.reports[0].description, "Subscript out of range");
    EXPECT_EQ(reporter.reports[0].label, 102);
    EXPECT_EQ(reporter.reports[0].procedure, "RemoveDupesAll");
    EXPECT_EQ(reporter.reports[1].description, "Out of memory");
    EXPECT_EQ(reporter.reports[2].description, "Unknown error");
    EXPECT_EQ(reporter.reports[2].label, 106);
}

TEST(ErrorTrap, FailedTestTakesTheGivenAnswer)
{
    RecordingErrors reporter;
    TrappedProcedure procedure(reporter, "Form1", "PushButton4_Click");
    EXPECT_TRUE(procedure.test(100, [] { return true; }, false));
    EXPECT_TRUE(procedure.test(100, []() -> bool { throw std::runtime_error("x"); }, true));
    EXPECT_EQ(reporter.reports.size(), 1u);
}
