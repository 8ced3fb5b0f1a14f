// The measured tests from the command line against the simulator's scenarios.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

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
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
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

struct SilenceCase {
    const char* name;
    const char* arguments;
    const char* said;       // on stderr
    const char* dumpHolds;  // CP1251 bytes of car.tdm, when one is written
};

class SilentReads : public TestCommand, public ::testing::WithParamInterface<SilenceCase> {};

// What the ECU left unanswered is written as an empty field, named on stderr, and
// the command ends with 2: never "no faults" or blanks passed off as read.
TEST_P(SilentReads, AreNamedAndEndWithTwo) {
    const ChildResult run = inFolder(GetParam().arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    EXPECT_TRUE(contains(run.err, GetParam().said)) << run.err;
    EXPECT_FALSE(contains(run.out, "дописано")) << run.out;
    if (GetParam().dumpHolds != nullptr) {
        EXPECT_TRUE(contains(fileText((folder / "car.tdm").string()), GetParam().dumpHolds));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reads, SilentReads,
    ::testing::Values(
        SilenceCase{"ReportFaultList",
                    "--simulate --sim-fault silence:cmd=02 report --dump car.tdm",
                    "ecuprobe-cli: ЭБУ не ответил: неисправности: the report appended to car.tdm "
                    "holds no reading of them\n",
                    // "Неисправности :\t" and the empty field.
                    "\xCD\xE5\xE8\xF1\xEF\xF0\xE0\xE2\xED\xEE\xF1\xF2\xE8 :\t \r\n"},
        SilenceCase{"ReportIdentification", "--simulate --sim-fault noident report --dump car.tdm",
                    "ecuprobe-cli: ЭБУ не ответил: идентификация: ", nullptr},
        SilenceCase{"IdentPassportBlock", "--simulate --sim-fault silence:cmd=53 ident",
                    "ecuprobe-cli: ЭБУ не ответил: паспорт программы: shown empty\n", nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

struct OutputCase {
    const char* name;
    const char* command;  // after the line's options
    bool folderGone;      // the current folder is removed before the start
    int status;
    const char* said;
};

class OutputsFirst : public TestCommand, public ::testing::WithParamInterface<OutputCase> {};

// An output that cannot be written ends the command before the port is touched,
// not after a run of minutes; a dump file made for the check is not left behind.
TEST_P(OutputsFirst, AreCheckedBeforeConnecting) {
    const std::string trace = freshTracePath(std::string("outputs_") + GetParam().name);
    const std::string folderGone =
        GetParam().folderGone ? "mkdir gone && cd gone && rmdir ../gone && " : "";
    const ChildResult run = runChild(
        "/bin/bash", {"-c", "cd " + folder.string() + " && " + folderGone + "exec " + cliPath +
                                " --simulate runup --sim-fault silence --trace " + trace + " " +
                                GetParam().command});
    EXPECT_EQ(run.exitStatus, GetParam().status) << run.err;
    EXPECT_TRUE(contains(run.err, GetParam().said)) << run.err;
    if (GetParam().status == 73) {
        EXPECT_TRUE(writtenFrames(trace).empty()) << "nothing sent";
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no file left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputsFirst,
    ::testing::Values(
        OutputCase{"ReportDumpFolderMissing", "report --dump /nonexistent/car.tdm", false, 73,
                   "ecuprobe-cli: cannot write the dump file /nonexistent/car.tdm: No such file "
                   "or directory\n"},
        OutputCase{"TestDumpFolderMissing", "test dynamic --dump /nonexistent/car.tdm", false, 73,
                   "ecuprobe-cli: cannot write the dump file /nonexistent/car.tdm: "},
        OutputCase{"TestSampleFolderGone", "test dynamic --dump /tmp/ecuprobe-gone.tdm", true, 73,
                   "ecuprobe-cli: cannot create the sample file in the current folder"},
        OutputCase{"ReportOnASilentLine", "report --dump car.tdm", false, 2,
                   "the ECU does not answer"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::cli
