// The measured tests from the command line against the simulator's scenarios.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "child_process.h"
#include "cli_process_support.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

// The detail files land in the current folder: each run goes into a folder of its own.
class TestCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("ecuprobe_test_command_" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    ChildResult inFolder(const std::string& arguments, std::vector<ChildStep> steps = {}) {
        return runChild("/bin/bash",
                        {"-c", "cd " + folder.string() + " && exec " + cliPath + " " + arguments},
                        steps);
    }

    std::filesystem::path folder;
};

struct ScenarioCase {
    const char* name;
    const char* arguments;
    const char* firstLine;
    const char* detailExtension;
};

class EveryTest : public TestCommand, public ::testing::WithParamInterface<ScenarioCase> {};

TEST_P(EveryTest, RunsAgainstItsScenarioAndWritesItsReport) {
    const ChildResult run = inFolder(GetParam().arguments + std::string(" --dump car.tdm"));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, GetParam().firstLine)) << run.out;
    EXPECT_TRUE(contains(run.out, "Длительность по интерполяции между отсчётами: ")) << run.out;
    EXPECT_TRUE(std::filesystem::exists(folder / "car.tdm"));
    bool detail = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        detail = detail || entry.path().extension() == GetParam().detailExtension;
    }
    EXPECT_TRUE(detail);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, EveryTest,
    ::testing::Values(ScenarioCase{"Dynamic", "--simulate runup test dynamic",
                                   "Время разгона(сек.): ", ".dmp"},
                      ScenarioCase{"Acceleration", "--simulate road test accel --gear 2",
                                   "Время выбега(сек.): ", ".dma"},
                      ScenarioCase{"Loss", "--simulate coastdown test loss", "Выбег: ", ".dmm"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TestCommand, RefusedLevelsEndWith64BeforeThePortIsTouched) {
    const ChildResult run = inFolder("--port /nonexistent/tty test dynamic --end 6001");
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_TRUE(
        contains(run.err, "Ошибка задания параметров: Конечные обороты должны быть менее 6000."))
        << run.err;
}

TEST_F(TestCommand, ARunErrorEndsWithThreeAndTheTestsMessage) {
    const ChildResult run = inFolder("--simulate idle test dynamic --start 500 --end 2000");
    EXPECT_EQ(run.exitStatus, 64) << "start below 1000";
    const ChildResult above =
        inFolder("--simulate runup test dynamic --start 1000 --end 2000 --gear 0");
    EXPECT_EQ(above.exitStatus, 0) << above.err;
    const ChildResult stalled = inFolder("--simulate stalled test loss");
    EXPECT_EQ(stalled.exitStatus, 3);
    EXPECT_TRUE(contains(stalled.err, "Двигатель заглушен или работает на стабильно."))
        << stalled.err;
}

TEST_F(TestCommand, AFullDiskAsTheDumpEndsWith73AndTheMessage) {
    const ChildResult run = inFolder("--simulate runup test dynamic --dump /dev/full");
    EXPECT_EQ(run.exitStatus, 73) << run.err;
    EXPECT_TRUE(contains(run.err, "Ошибка исполнения: Не возможно открыть файл.")) << run.err;
}

TEST_F(TestCommand, CtrlCWhileWaitingStopsTheRunWritesNothingAndHandsBack) {
    const std::string trace = freshTracePath("test_stop");
    const ChildResult run =
        inFolder("--simulate idle --trace " + trace + " test dynamic --dump car.tdm",
                 {{2500, "", SIGINT}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 128 + SIGINT) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(lastFrames(writtenFrames(trace), 6), releaseFrames);
}

TEST_F(TestCommand, ReportAppendsTheStateReportAndAFullDiskOrASilentEcuIsNoSavedReport) {
    const ChildResult saved = inFolder("--simulate report --dump car.tdm --comment x");
    EXPECT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_TRUE(contains(saved.out, "car.tdm")) << saved.out;
    EXPECT_GT(std::filesystem::file_size(folder / "car.tdm"), 2000u);
    const ChildResult full = inFolder("--simulate report --dump /dev/full");
    EXPECT_EQ(full.exitStatus, 73) << full.err;
    EXPECT_FALSE(contains(full.out, "/dev/full")) << "never announced as saved";
    // The ECU answers the connection's live read, then no more.
    const ChildResult silent =
        inFolder("--simulate --sim-fault silence:cmd=61,after=1 report --dump lost.tdm");
    EXPECT_EQ(silent.exitStatus, 2) << silent.err;
    EXPECT_TRUE(contains(silent.err,
                         "the ECU stopped answering during the report: the one "
                         "appended to lost.tdm holds reset values, not readings\n"))
        << silent.err;
    EXPECT_FALSE(contains(silent.out, "lost.tdm")) << "never announced as saved";
}

}  // namespace
}  // namespace ecuprobe::cli
