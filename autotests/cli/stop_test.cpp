// What a stop does to ecuprobe-cli: no write the ECU keeps goes out after it,
// and whichever signal it is, every control is handed back first.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"
#include "environment.h"
#include "terminating_signals.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using namespace testing_support;

bool wrote(const std::vector<std::string>& frames, const std::string& start) {
    return std::any_of(frames.begin(), frames.end(),
                       [&start](const std::string& frame) { return frame.starts_with(start); });
}

struct KeptWriteCase {
    const char* name;
    Args args;
    const char* withheld;  // the start of the frame that must never be written
    const char* success;   // what stdout says when the command did its work
};

class StopBeforeAKeptWrite : public ::testing::TestWithParam<KeptWriteCase> {};

// The simulator stops the tester as the request before the write comes in.
TEST_P(StopBeforeAKeptWrite, WithholdsItHandsBackAndNeverSaysDone) {
    const std::string trace = freshTracePath(std::string("stop_") + GetParam().name);
    Args args{"--simulate", "--trace", trace};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const ChildResult run = runChild(cliPath, args);
    EXPECT_EQ(run.exitStatus, 128 + SIGTERM) << run.err;
    const std::vector<std::string> frames = writtenFrames(trace);
    EXPECT_FALSE(wrote(frames, GetParam().withheld)) << GetParam().withheld;
    EXPECT_EQ(lastSixWrites(frames), releaseFrames);
    EXPECT_FALSE(contains(run.out, GetParam().success)) << run.out;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: stopped")) << run.err;
}

// 0x02: the fault list read that ends the connection, right before the work.
const char* const afterConnecting = "sigterm:cmd=2,once";

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, StopBeforeAKeptWrite,
    ::testing::Values(
        KeptWriteCase{"LambdaReset",
                      {"--sim-fault", afterConnecting, "reset-adaptation", "lambda", "--yes"},
                      "62 0E 10",
                      "Таблица очищена."},
        KeptWriteCase{"KnockReset",
                      {"--sim-fault", afterConnecting, "reset-adaptation", "knock", "--yes"},
                      "62 0E 20",
                      "Таблица очищена."},
        KeptWriteCase{"FaultClearing",
                      {"--sim-faults", "13:20", "--sim-fault", afterConnecting, "clear-faults"},
                      "62 0E 08",
                      "*** Нет Ошибок ***"},
        KeptWriteCase{"ParameterSet",
                      {"--sim-fault", afterConnecting, "params", "--idle-speed", "900"},
                      "62 0B 40 00 2E",
                      "Обороты ХХ:"},
        // Stopped as the set of RCOK comes in: the store that would follow it.
        KeptWriteCase{
            "StoreAfterItsSet",
            {"--sim-fault", "sigterm:cmd=62,once", "params", "--rcok", "-0.25", "--store"},
            "62 0E 01 7C",
            "Коэф. коррекции CO (RCOK):"}),
    [](const auto& param) { return std::string(param.param.name); });

class EveryTerminatingSignal : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }

    const std::string link =
        (ecuprobe::testing_support::processScratch() / "ecuprobe_stop_signal").string();
    ecuprobe::testing::EcuSimProcess sim{ECU_SIM_PATH, {"--link", link}};
};

// Injector 1 cut, then the signal: a default action would leave it cut.
TEST_P(EveryTerminatingSignal, MonitorHandsTheCutBackAndEndsWith128PlusIt) {
    const int signal = GetParam();
    const std::string trace = freshTracePath("signal_" + std::to_string(signal));
    const ChildResult run =
        runChild(cliPath, {"--port", link, "--trace", trace, "monitor", "-p", "0"},
                 {{1500, "inj 1"}, {800, "", signal}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 128 + signal) << run.err;
    const std::vector<std::string> frames = writtenFrames(trace);
    EXPECT_TRUE(wrote(frames, "62 40 CD 01")) << "no injector cut";
    EXPECT_EQ(lastSixWrites(frames), releaseFrames);
    EXPECT_TRUE(contains(run.out, "Управление возвращено ЭБУ, порт закрыт.")) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Signals, EveryTerminatingSignal,
                         ::testing::Values(SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM, SIGXFSZ,
                                           SIGPWR, SIGRTMIN),
                         [](const auto& param) {
                             return ecuprobe::testing_support::signalName(param.param);
                         });

}  // namespace
}  // namespace ecuprobe::cli
