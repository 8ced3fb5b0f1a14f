// The tools for the garage, as processes: the adapter check against the
// simulator's echo faults, a drive log, an adapter pulled during a command, a
// traced session played back by ecu-sim.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using namespace testing_support;

std::string freshPath(const std::string& name) {
    const std::string path = ::testing::TempDir() + "ecuprobe_field_" + name;
    std::remove(path.c_str());
    return path;
}

struct EchoFaultCase {
    const char* name;
    Args args;
    int status;
    const char* finding;
};

class SelfTestAgainstTheSimulator : public ::testing::TestWithParam<EchoFaultCase> {};

TEST_P(SelfTestAgainstTheSimulator, FindsTheEchoFault) {
    Args args = GetParam().args;
    args.insert(args.end(), {"selftest", "--count", "12"});
    const ChildResult run = runChild(cliPath, args);
    EXPECT_EQ(run.exitStatus, GetParam().status) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, GetParam().finding)) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    EchoFaults, SelfTestAgainstTheSimulator,
    ::testing::Values(
        EchoFaultCase{"Perfect",
                      {"--simulate"},
                      0,
                      "Echo: perfect, every byte came back as sent\n"
                      "Echo time: median "},
        EchoFaultCase{"WrongEcho", {"--simulate", "--sim-fault", "wrongecho"}, 3, " 12 changed, "},
        EchoFaultCase{"NoEcho",
                      {"--simulate", "--sim-fault", "noecho"},
                      3,
                      "Echo: none at all: адаптер не отвечает эхом"},
        EchoFaultCase{"ShortEcho", {"--simulate", "--sim-fault", "shortecho"}, 3, " 12 short, "},
        EchoFaultCase{"UsbAdapterHoldingBytes",
                      {"--simulate", "--sim-usb-latency", "16"},
                      3,
                      "\nEcho late: median "}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CliLog, NamesUnitsAndARowPerReadEndingCleanlyOnCtrlC) {
    const std::string log = freshPath("drive.msl");
    const std::string trace = freshTracePath("log");
    const ChildResult run = runChild(cliPath, {"--simulate", "--trace", trace, "log", "--out", log},
                                     {{3000, "", SIGINT}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::vector<std::string>> rows = logRows(log);
    ASSERT_GE(rows.size(), 2u + 5u) << fileText(log);
    EXPECT_EQ(rows[0][0], "Time");
    EXPECT_EQ(rows[0][5], "FREQ");
    EXPECT_EQ(rows[1][0], "s");
    EXPECT_EQ(rows[1][5], "об/мин");
    double last = -1;
    for (std::size_t n = 2; n < rows.size(); ++n) {
        ASSERT_EQ(rows[n].size(), rows[0].size()) << n;
        const double time = std::strtod(rows[n][0].c_str(), nullptr);
        EXPECT_GT(time, last) << n;
        last = time;
        EXPECT_NEAR(std::strtod(rows[n][5].c_str(), nullptr), 800, 150) << n;
    }
    EXPECT_TRUE(contains(run.out, std::to_string(rows.size() - 2) + " reads logged to " + log));
    EXPECT_EQ(lastSixWrites(writtenFrames(trace)), releaseFrames);
}

TEST(CliLog, AFileThatCannotBeWrittenEndsWithItsStatusAndAnExistingOneIsKept) {
    const ChildResult missing =
        runChild(cliPath, {"--simulate", "log", "--out", "/nonexistent/dir/drive.msl"});
    EXPECT_EQ(missing.exitStatus, 73);
    EXPECT_TRUE(contains(missing.err, "cannot write the log file /nonexistent/dir/drive.msl"))
        << missing.err;

    const ChildResult full =
        runChild(cliPath, {"--simulate", "log", "--out", "/dev/full"}, {{20000, "", SIGINT}});
    EXPECT_EQ(full.exitStatus, 74);
    EXPECT_TRUE(contains(full.err, "cannot write the log file /dev/full")) << full.err;

    // No ECU, no log: yesterday's drive stays as it was.
    const std::string kept = freshPath("yesterday.msl");
    std::ofstream(kept) << "Time\ts\n";
    const ChildResult silent =
        runChild(cliPath, {"--simulate", "--sim-fault", "silence", "log", "--out", kept});
    EXPECT_EQ(silent.exitStatus, 2);
    EXPECT_EQ(fileText(kept), "Time\ts\n");
}

TEST(CliOneShot, AnAdapterPulledDuringACommandIsNamedAsGone) {
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--sim-fault", "vanish:cmd=0x02,ms=20000", "faults"});
    EXPECT_EQ(run.exitStatus, 4) << "nothing could be handed back: " << run.err;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: адаптер отключён: ")) << run.err;
    EXPECT_TRUE(contains(run.err, ": the port was hung up (unplugged?)\n")) << run.err;
}

TEST(CliReplay, ASessionTracedWithTheSimulatorIsPlayedBackByEcuSim) {
    const std::string trace = freshTracePath("replayed");
    const ChildResult recorded = runChild(cliPath, {"--simulate", "--sim-faults", "13:20,131:60",
                                                    "--trace", trace, "faults", "--decoded"});
    ASSERT_EQ(recorded.exitStatus, 0) << recorded.err;
    // A line broken at the car: told with its number, and the rest still served.
    std::ofstream(trace, std::ios::app) << "    123456 RX   4\n";
    const std::size_t badLine = splitLines(fileText(trace)).size();

    const std::string link = freshPath("replay");
    ecuprobe::testing::EcuSimProcess replay(ECU_SIM_PATH, {"--replay", trace, "--link", link});
    ASSERT_EQ(replay.line().rfind("READY ", 0), 0u);
    const ChildResult replayed = runChild(cliPath, {"--port", link, "faults", "--decoded"});
    EXPECT_EQ(replayed.exitStatus, 0) << replayed.err;
    EXPECT_EQ(replayed.out, recorded.out);
    replay.say("quit");
    EXPECT_EQ(replay.exitCode(), 0);
    EXPECT_TRUE(contains(replay.errors(), trace + ":" + std::to_string(badLine) +
                                              ": not a hex byte: '4' (line skipped)"));
}

}  // namespace
}  // namespace ecuprobe::cli
