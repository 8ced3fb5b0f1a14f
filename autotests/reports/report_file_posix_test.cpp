#include <gtest/gtest.h>

#include "reports/measured_report.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

// A disk that fills up: the open works, the writes do not, and the close tells.
TEST(ReportFile, AFullDiskIsNoSavedReport) {
    ecuprobe::testing::ScriptedPrompts prompts;
    platform::FakeClock clock;
    TestReport report(prompts, clock);
    currentDumpPath = "/dev/full";
    ReportOutcome outcome = ReportOutcome::saved;
    std::unique_ptr<ReportFile> file = report.openReport(outcome);
    ASSERT_NE(file, nullptr);
    file->write(std::string(64 * 1024, 'x'));
    EXPECT_EQ(report.closeReport(std::move(file)), ReportOutcome::reportFailed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Не возможно открыть файл.");
    EXPECT_EQ(lastReportProblem, "/dev/full: нет места на диске");
    EXPECT_EQ(currentDumpPath, "") << "the next report asks for another file";
}

}  // namespace
}  // namespace ecuprobe::reports
