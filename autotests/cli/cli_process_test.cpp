#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_process_support.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

TEST(CliProcess, LiveTsvShowsTheSimulatorsIdleValues) {
    const ChildResult run =
        runChild(cliPath, {"--simulate", "live", "--count", "3", "--tsv", "--period", "0.1"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> lines = splitLines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    const std::vector<std::string> names = splitLines(lines[0], '\t');
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::vector<std::string> values = splitLines(lines[n], '\t');
        ASSERT_EQ(values.size(), names.size()) << lines[n];
        std::map<std::string, double> value;
        for (std::size_t i = 0; i < names.size(); ++i) {
            value[names[i]] = std::strtod(values[i].c_str(), nullptr);
        }
        EXPECT_NEAR(value["TWAT"], 90, 5) << lines[n];
        EXPECT_NEAR(value["FREQ"], 800, 150) << lines[n];
        EXPECT_NEAR(value["NUACC"], 14, 0.6) << lines[n];
        EXPECT_EQ(value["THR"], 0) << lines[n];
        EXPECT_EQ(value["RXX"], 1) << lines[n];
        EXPECT_EQ(value["SPD"], 0) << lines[n];
    }
}

TEST(CliProcess, FaultsShowsTheStoredListAndClearFaultsLeavesNone) {
    const Args simulator{"--simulate", "--sim-faults", "13:20,131:60"};
    Args faults = simulator;
    faults.push_back("faults");
    const ChildResult listed = runChild(cliPath, faults);
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(listed.out, " 013:20, 131:60,\n");

    const std::string trace = freshTracePath("clear");
    Args clear = simulator;
    clear.insert(clear.end(), {"--trace", trace, "clear-faults"});
    const ChildResult cleared = runChild(cliPath, clear);
    EXPECT_EQ(cleared.exitStatus, 0) << cleared.err;
    EXPECT_EQ(cleared.out, "*** Нет Ошибок ***\n");
    // Register 0x0E set to 8 clears the list, then back to 0.
    const std::vector<std::string> frames = writtenFrames(trace);
    const auto clearAt = std::find(frames.begin(), frames.end(), "62 0E 08 88 0D");
    ASSERT_NE(clearAt, frames.end());
    ASSERT_NE(clearAt + 1, frames.end());
    EXPECT_EQ(*(clearAt + 1), "62 0E 00 90 0D");
}

TEST(CliProcess, MonitorSwitchesAnInjectorOffAndOnAndHandsEverythingBackOnQuit) {
    const std::string trace = freshTracePath("monitor");
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "monitor", "--period", "0"},
                 {{1500, "inj 1"}, {800, "inj 1"}, {800, "quit"}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::size_t off = run.out.find("> Форсунка 1: выкл.");
    const std::size_t on = run.out.find("> Форсунка 1: вкл.");
    ASSERT_NE(off, std::string::npos) << run.out;
    ASSERT_NE(on, std::string::npos) << run.out;
    EXPECT_LT(off, on);
    EXPECT_NE(run.out.find("Обороты (FREQ):"), std::string::npos);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "no screen control into a pipe";
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

TEST(CliProcess, MonitorStoppedBySigtermStillHandsEverythingBackAndSaysWhichSignal) {
    const std::string trace = freshTracePath("sigterm");
    const auto start = std::chrono::steady_clock::now();
    // Stdin stays open long after the signal, so only the signal can end the run in time.
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "monitor", "--period", "0"},
                 {{2000, "fan"}, {1000, "", SIGTERM}, {25000, ""}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(run.exitStatus, 128 + SIGTERM) << run.err;
    EXPECT_NE(run.out.find("> Вентилятор: вкл."), std::string::npos) << run.out;
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

class MissingDevice : public testing::TestWithParam<const char*> {};

TEST_P(MissingDevice, EndsWithStatusOneAndNamesThePath) {
    const ChildResult run = runChild(cliPath, {"--port", "/nonexistent/ttyK", GetParam()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("/nonexistent/ttyK"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("нет такого порта"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, MissingDevice,
                         testing::Values("connect", "live", "faults", "clear-faults", "monitor"));

TEST(CliProcess, SilentEcuEndsWithStatusTwo) {
    const ChildResult run = runChild(cliPath, {"--simulate", "--sim-fault", "silence", "connect"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("does not answer"), std::string::npos) << run.err;
}

TEST(CliProcess, UsageErrorAndHelpStatuses) {
    EXPECT_EQ(runChild(cliPath, {"live", "--count", "-1"}).exitStatus, 64);
    const ChildResult help = runChild(cliPath, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--simulate"), std::string::npos);
}

}  // namespace
}  // namespace ecuprobe::cli
