// What ecuprobe-cli tells about the end of its work: never a success line the ECU
// did not confirm, every signal and lost output with its own status.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using namespace testing_support;

struct HandBackCase {
    const char* name;
    Args args;
    std::vector<ChildStep> steps;
    const char* unacknowledged;
};

class UnconfirmedHandBack : public testing::TestWithParam<HandBackCase> {};

TEST_P(UnconfirmedHandBack, EndsWithStatusFourAndNamesTheRegistersNeverTheSuccessLine) {
    const ChildResult run = runChild(cliPath, GetParam().args, GetParam().steps);
    EXPECT_EQ(run.exitStatus, 4) << run.err;
    EXPECT_TRUE(contains(run.err, "ЭБУ не подтвердил возврат управления: ")) << run.err;
    EXPECT_TRUE(contains(run.err, GetParam().unacknowledged)) << run.err;
    EXPECT_FALSE(contains(run.out, "Управление возвращено ЭБУ")) << run.out;
}

// Nothing was switched: nothing is held either.
const char* everyRegister =
    "выходы (0x09), маска выходов (0x0A), параметры (0x0B), параметры (0x0C), "
    "форсунки (0x0D), регуляторы (0x0E); тестер ничего не удерживает.";
// Injector 1 stays cut: named, with what to do.
const char* everyRegisterInjectorHeld =
    "выходы (0x09), маска выходов (0x0A), параметры (0x0B), параметры (0x0C), "
    "форсунки (0x0D: форсунка 1), регуляторы (0x0E); включите зажигание и откройте тестер "
    "снова: управление будет возвращено.";

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, UnconfirmedHandBack,
    testing::Values(
        HandBackCase{"ConnectThenSilent",
                     {"--simulate", "--sim-fault", "silence:after=5", "connect"},
                     {},
                     everyRegister},
        HandBackCase{"LiveRefused",
                     {"--simulate", "--sim-fault", "refuse", "live", "--count", "1"},
                     {},
                     everyRegister},
        HandBackCase{"FaultsThenSilent",
                     {"--simulate", "--sim-fault", "silence:after=5", "faults"},
                     {},
                     everyRegister},
        HandBackCase{"ClearFaultsRefused",
                     {"--simulate", "--sim-fault", "refuse", "clear-faults"},
                     {},
                     everyRegister},
        // Silent from the first poll on, after the type and the first reads.
        HandBackCase{"MonitorThenSilent",
                     {"--simulate", "--sim-fault", "silence:after=5", "monitor", "-p", "0"},
                     {{1500, "quit"}},
                     everyRegister},
        // Injector 1 cut, then every later write refused: it stays cut.
        HandBackCase{"MonitorRefusedAfterAnInjectorCut",
                     {"--simulate", "--sim-fault", "refuse:cmd=62,after=1", "monitor", "-p", "0"},
                     {{1500, "inj 1"}, {800, "quit"}},
                     everyRegisterInjectorHeld},
        // The cable pulled after the cut: the device is gone for the whole hand-back.
        HandBackCase{
            "MonitorAdapterGoneAfterAnInjectorCut",
            {"--simulate", "--sim-fault", "vanish:cmd=62,after=1,ms=20000", "monitor", "-p", "0"},
            {{1500, "inj 1"}, {800, "quit"}},
            "форсунки (0x0D: форсунка 1)"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CliOutcome, MonitorSaysWhenTheEcuRefusedOrIgnoredASwitch) {
    const ChildResult refused =
        runChild(cliPath, {"--simulate", "--sim-fault", "refuse:cmd=62", "monitor"},
                 {{1500, "inj 1"}, {600, "quit"}});
    EXPECT_TRUE(contains(refused.out, "> Форсунка 1: ЭБУ отказал")) << refused.out;
    EXPECT_FALSE(contains(refused.out, "> Форсунка 1: выкл.")) << refused.out;

    const ChildResult ignored =
        runChild(cliPath, {"--simulate", "--sim-fault", "silence:cmd=62", "monitor"},
                 {{1500, "fan"}, {600, "quit"}});
    EXPECT_TRUE(contains(ignored.out, "> Вентилятор: нет ответа")) << ignored.out;
}

TEST(CliOutcome, SighupHandsEverythingBackAndEndsWith129) {
    const std::string trace = freshTracePath("sighup");
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "monitor", "-p", "0"},
                 {{1200, "inj 1"}, {700, "", SIGHUP}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 128 + SIGHUP) << run.err;
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

TEST(CliOutcome, SecondCtrlCDuringTheHandBackLetsItFinishAndSaysSo) {
    const std::string trace = freshTracePath("twice");
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "monitor", "-p", "0"},
                 {{1200, "inj 1"}, {700, "", SIGINT}, {300, "", SIGINT}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 128 + SIGINT) << run.err;
    EXPECT_TRUE(contains(run.err, "handing every control back to the ECU first")) << run.err;
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

TEST(CliOutcome, ClosedStdoutEndsLiveThroughTheHandBack) {
    const std::string trace = freshTracePath("sigpipe");
    const ChildResult run =
        runChild("/bin/bash",
                 {"-c", cliPath + " --simulate --trace " + trace +
                            " live --period 0.1 | head -1; echo \"status ${PIPESTATUS[0]}\" >&2"});
    EXPECT_TRUE(contains(run.err, "status " + std::to_string(128 + SIGPIPE))) << run.err;
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

struct LostOutputCase {
    const char* name;
    std::string command;
    int status;
    const char* message;
};

class LostOutput : public testing::TestWithParam<LostOutputCase> {};

TEST_P(LostOutput, EndsWithItsOwnStatusAndAMessage) {
    const ChildResult run = runChild("/bin/bash", {"-c", GetParam().command});
    EXPECT_EQ(run.exitStatus, GetParam().status) << run.err;
    EXPECT_TRUE(contains(run.err, GetParam().message)) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, LostOutput,
    testing::Values(
        LostOutputCase{"StdoutOnAFullDisk",
                       "exec " + cliPath + " --simulate live --count 2 > /dev/full", 74,
                       "cannot write the output"},
        LostOutputCase{"TraceOnAFullDisk",
                       "exec " + cliPath + " --simulate --trace /dev/full live --count 1", 74,
                       "cannot write the trace file /dev/full"},
        LostOutputCase{"TraceFromTheEnvironmentCannotBeOpened",
                       "ECUPROBE_TRACE=/nonexistent/dir/t exec " + cliPath + " --simulate connect",
                       73, "cannot write the trace file /nonexistent/dir/t"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CliOutcome, ConnectionsThatFailOnceAreTriedAgain) {
    for (const char* rule : {"silence:once", "shortecho:once"}) {
        const ChildResult run = runChild(cliPath, {"--simulate", "--sim-fault", rule, "connect"});
        EXPECT_EQ(run.exitStatus, 0) << rule << ": " << run.err;
        EXPECT_TRUE(contains(run.out, "Тип ЭБУ: Микас 5.4")) << rule << ": " << run.out;
    }
}

TEST(CliOutcome, AMissingEchoIsToldApartFromASilentEcu) {
    const ChildResult noEcho =
        runChild(cliPath, {"--simulate", "--sim-fault", "noecho", "connect"});
    EXPECT_EQ(noEcho.exitStatus, 2);
    EXPECT_TRUE(contains(noEcho.err, "адаптер без эха")) << noEcho.err;
    const ChildResult shortEcho =
        runChild(cliPath, {"--simulate", "--sim-fault", "shortecho", "connect"});
    EXPECT_EQ(shortEcho.exitStatus, 2);
    EXPECT_TRUE(contains(shortEcho.err, "адаптер не отвечает эхом")) << shortEcho.err;
    const ChildResult silent =
        runChild(cliPath, {"--simulate", "--sim-fault", "silence", "connect"});
    EXPECT_EQ(silent.exitStatus, 2);
    EXPECT_TRUE(contains(silent.err, "the ECU does not answer")) << silent.err;
}

TEST(CliOutcome, MonitorRefusesAnOverlongLineWithoutEchoingIt) {
    const ChildResult run = runChild(cliPath, {"--simulate", "monitor"},
                                     {{1000, std::string(100 * 1024, 'x')}, {300, "quit"}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "line refused: longer than 4096 bytes"))
        << run.out.substr(0, 2000);
    EXPECT_FALSE(contains(run.out, std::string(100, 'x')));
}

}  // namespace
}  // namespace ecuprobe::cli
