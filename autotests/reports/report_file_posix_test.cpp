#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>

#include "report_test_support.h"
#include "reports/measured_report.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

struct FailingDisk {
    const char* name;
    // Where the report goes and what is there before; the disk gives way after
    // `room` more bytes (none: a device that takes nothing).
    std::string path;
    std::string before;
    rlim_t room;
    std::string cause;
};

// The file ends up as it was: no half report for the next one to follow.
class ReportFileOnAFailingDisk : public ::testing::TestWithParam<FailingDisk> {
protected:
    // The file size limit stands for a disk that fills up in the middle of the
    // append; its signal is ignored, so the write fails with EFBIG instead.
    void limitFileSize(rlim_t bytes) {
        previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previousLimit);
        rlimit limit = previousLimit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    void TearDown() override {
        ::setrlimit(RLIMIT_FSIZE, &previousLimit);
        std::signal(SIGXFSZ, previousSignal);
    }

    testing::ScratchFolder scratch;
    rlimit previousLimit{RLIM_INFINITY, RLIM_INFINITY};
    void (*previousSignal)(int) = SIG_DFL;
};

TEST_P(ReportFileOnAFailingDisk, LeavesTheFileAsItWasAndNamesItAndTheCause) {
    if (!GetParam().before.empty()) {
        std::ofstream(GetParam().path, std::ios::binary) << GetParam().before;
    }
    ecuprobe::testing::ScriptedPrompts prompts;
    platform::FakeClock clock;
    TestReport report(prompts, clock);
    currentDumpPath = GetParam().path;
    ReportOutcome outcome = ReportOutcome::saved;
    std::unique_ptr<ReportFile> file = report.openReport(outcome);
    ASSERT_NE(file, nullptr);
    if (GetParam().room != RLIM_INFINITY) {
        limitFileSize(GetParam().before.size() + GetParam().room);
    }
    file->write(std::string(64 * 1024, 'x'));
    EXPECT_EQ(report.closeReport(std::move(file)), ReportOutcome::reportFailed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    const std::string problem = GetParam().path + ": " + GetParam().cause;
    EXPECT_EQ(prompts.messages[0].text, "Не возможно открыть файл.\n" + problem);
    EXPECT_EQ(lastReportProblem, problem);
    EXPECT_EQ(currentDumpPath, "") << "the next report asks for another file";
    if (GetParam().path == "/dev/full") {
        return;
    }
    if (GetParam().before.empty()) {
        EXPECT_FALSE(std::filesystem::exists(GetParam().path)) << "made by the append, and gone";
    } else {
        EXPECT_EQ(testing::fileBytes(GetParam().path), GetParam().before);
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
