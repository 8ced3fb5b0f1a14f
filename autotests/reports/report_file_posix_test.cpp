#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>

#include "report_test_support.h"
#include "reports/measured_report.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

// Where the report goes, what is there before, and how many more bytes the disk
// takes (the file size limit stands for a disk that fills up in the middle of the
// append; its signal ignored, the write fails with EFBIG); none: /dev/full.
struct FailingDisk {
    const char* name;
    std::string path;
    std::string before;
    rlim_t room;
    std::string cause;
};

class ReportFileOnAFailingDisk : public ::testing::TestWithParam<FailingDisk> {
protected:
    void TearDown() override {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, SIG_DFL);
    }

    testing::ScratchFolder scratch;
    rlimit previous{RLIM_INFINITY, RLIM_INFINITY};
};

// The file ends up as it was: no half report for the next one to follow.
TEST_P(ReportFileOnAFailingDisk, LeavesTheFileAsItWasAndNamesItAndTheCause) {
    const FailingDisk& disk = GetParam();
    if (!disk.before.empty()) {
        std::ofstream(disk.path, std::ios::binary) << disk.before;
    }
    ecuprobe::testing::ScriptedPrompts prompts;
    platform::FakeClock clock;
    TestReport report(prompts, clock);
    currentDumpPath = disk.path;
    ReportOutcome outcome = ReportOutcome::saved;
    std::unique_ptr<ReportFile> file = report.openReport(outcome);
    ASSERT_NE(file, nullptr);
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit limit{disk.before.size() + disk.room, previous.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, disk.room == RLIM_INFINITY ? &previous : &limit);
    file->write(std::string(64 * 1024, 'x'));
    EXPECT_EQ(report.closeReport(std::move(file)), ReportOutcome::reportFailed);
    const std::string problem = disk.path + ": " + disk.cause;
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Не возможно открыть файл.\n" + problem);
    EXPECT_EQ(lastReportProblem, problem);
    EXPECT_EQ(currentDumpPath, "") << "the next report asks for another file";
    if (disk.path != "/dev/full") {
        EXPECT_EQ(std::filesystem::exists(disk.path), !disk.before.empty());
        EXPECT_EQ(testing::fileBytes(disk.path), disk.before);
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, ReportFileOnAFailingDisk,
                         ::testing::Values(FailingDisk{"Full", "/dev/full", "", RLIM_INFINITY,
                                                       "нет места на диске"},
                                           FailingDisk{"FillingUpAfterAReport", "car.tdm",
                                                       "\r\n\r\n\r\n an earlier report", 100,
                                                       "файл больше, чем разрешено"},
                                           FailingDisk{"FillingUpInANewFile", "new.tdm", "", 5000,
                                                       "файл больше, чем разрешено"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::reports
