// What the tester may still hold over the ECU, against ecu-sim on a link: a
// silence right after a switch, a run killed with an injector cut, and the next
// command on the same port; and the control parameters the ECU cannot carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli_process_support.h"
#include "ecu/owed_store.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

const std::string cutInjector1 = "62 40 CD 01 90 0D";
const std::string releaseInjectors = "62 40 CD 00 91 0D";
const std::string typeRequest = "01 FF 0D";
const std::string returned = "Управление возвращено ЭБУ: форсунки (0x0D: форсунка 1).";

class OwedOnALink : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }
    void TearDown() override {
        for (std::thread& step : simSteps) {
            step.join();
        }
    }

    // Types a command into ecu-sim after ms, while the test goes on.
    void simAfter(int ms, const std::string& command) {
        simSteps.emplace_back([this, ms, command] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            sim.say(command);
        });
    }

    ChildResult cli(const std::string& trace, std::vector<std::string> args,
                    const std::vector<ChildStep>& steps = {}, const std::string& port = {}) {
        args.insert(args.begin(), {"--port", port.empty() ? link : port, "--trace", trace});
        return runChild(cliPath, args, steps);
    }

    std::filesystem::path stateFile() const {
        return std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "ecuprobe" /
               ecu::FileOwedStore::fileName(ecu::FileOwedStore::keyOf(link));
    }

    // A command that pays first what is owed (the cut, or every register when the
    // record does not tell): the type request, then its hand-back.
    void expectTheNextCommandPays(const std::vector<std::string>& handBack, const std::string& said,
                                  const std::string& port = {}) {
        ASSERT_TRUE(std::filesystem::exists(stateFile()));
        const std::string trace = freshTracePath(name("connect"));
        const ChildResult connect = cli(trace, {"connect"}, {}, port);
        EXPECT_EQ(connect.exitStatus, 0) << connect.err;
        EXPECT_TRUE(contains(connect.err, said)) << connect.err;
        const std::vector<std::string> frames = writtenFrames(trace);
        ASSERT_GE(frames.size(), handBack.size() + 1);
        EXPECT_EQ(frames[0], typeRequest);
        EXPECT_EQ(std::vector<std::string>(frames.begin() + 1,
                                           frames.begin() + 1 + static_cast<long>(handBack.size())),
                  handBack);
        EXPECT_FALSE(std::filesystem::exists(stateFile()));
    }
    void expectTheNextCommandPaysTheCut(const std::string& port = {}) {
        expectTheNextCommandPays({releaseInjectors}, "ecuprobe-cli: " + returned + "\n", port);
    }

    static std::string name(const std::string& what) {
        return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               what;
    }

    const std::string link = ::testing::TempDir() + "ecuprobe_owed_" + name("link");
    ecuprobe::testing::EcuSimProcess sim{ECU_SIM_PATH, {"--link", link}};
    std::vector<std::thread> simSteps;
};

TEST_F(OwedOnALink, MonitorHandsTheCutBackAsSoonAsTheEcuAnswersAgain) {
    simAfter(3000, "silent on");
    simAfter(6500, "silent off");
    const std::string trace = freshTracePath(name("monitor"));
    const ChildResult run =
        cli(trace, {"monitor", "-p", "0"}, {{1500, "inj 1"}, {8500, "quit"}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> frames = writtenFrames(trace);
    const auto cut = std::find(frames.begin(), frames.end(), cutInjector1);
    ASSERT_NE(cut, frames.end());
    const auto paid = std::find(cut, frames.end(), releaseInjectors);
    ASSERT_NE(paid, frames.end());
    // Right after the type request, or after the data-set selection when the
    // type request was the one that went unanswered as the ECU came back.
    EXPECT_TRUE(*(paid - 1) == typeRequest || *(paid - 2) == typeRequest) << *(paid - 1);
    // Long before quit: the poll read on after it.
    EXPECT_TRUE(std::any_of(paid, frames.end() - 6,
                            [](const std::string& frame) { return frame.starts_with("61 "); }));
    EXPECT_EQ(lastSixWrites(frames), releaseFrames);
    EXPECT_TRUE(contains(run.out, "! Тестер может удерживать: форсунка 1\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "Состояние: " + returned + "\n")) << run.out;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: " + returned + "\n")) << run.err;
}

TEST_F(OwedOnALink, TheNextCommandPaysWhatAMonitorThatLostTheEcuLeftOwed) {
    simAfter(3000, "silent on");
    const ChildResult monitor = cli(freshTracePath(name("monitor")), {"monitor", "-p", "0"},
                                    {{1500, "inj 1"}, {3500, "quit"}, {20000, ""}});
    EXPECT_EQ(monitor.exitStatus, 4) << monitor.err;
    EXPECT_TRUE(contains(monitor.err, "форсунки (0x0D: форсунка 1)")) << monitor.err;
    EXPECT_TRUE(contains(monitor.err,
                         "; включите зажигание и откройте тестер снова: управление будет "
                         "возвращено.\n"))
        << monitor.err;
    sim.say("silent off");
    expectTheNextCommandPaysTheCut();
}

// Killed on the link, paid on the device node the link leads to: one adapter.
TEST_F(OwedOnALink, TheNextCommandPaysWhatAKilledMonitorLeftOwedWhateverThePortIsCalled) {
    const ChildResult monitor = cli(freshTracePath(name("monitor")), {"monitor", "-p", "0"},
                                    {{1500, "inj 1"}, {1500, "", SIGKILL}, {20000, ""}});
    EXPECT_EQ(monitor.exitStatus, 128 + SIGKILL);
    expectTheNextCommandPaysTheCut(std::filesystem::canonical(link).string());
}

// A record the tester cannot read may have named anything: every register is
// handed back, and the person is told why.
TEST_F(OwedOnALink, ADamagedRecordIsPaidWithTheWholeHandBack) {
    std::filesystem::create_directories(stateFile().parent_path());
    std::ofstream(stateFile()) << "ecuprobe owed controls 1\nport " << link << "\n0x0D 0x0";
    expectTheNextCommandPays(releaseFrames, "повреждён: неизвестно, что тестер удерживал");
}

TEST(ParamsCommand, ACoCorrectionTheEcuCannotCarryIsRefusedAndNothingIsSent) {
    const std::string trace = freshTracePath("params_refused");
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "params", "--rcok", "0.1"});
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_TRUE(contains(run.err,
                         "Коэф. коррекции CO (RCOK): Please enter a number between "
                         "-0.5 and 0.\n"))
        << run.err;
    EXPECT_TRUE(writtenFrames(trace).empty());
}

TEST(ParamsCommand, ValuesGoInTheEcusFormAndALimitIsTold) {
    const std::string trace = freshTracePath("params_limited");
    const ChildResult run = runChild(cliPath, {"--simulate", "--trace", trace, "params", "--rcok",
                                               "-0.25", "--rcod", "-0.5", "--stepper", "300"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.err,
                         "ecuprobe-cli: Рег.ХХ(РДВ): 300 is beyond its limit and is sent as 255\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err,
                         "Коррекция CO по смещ. (RCOD): -0.5 is beyond its limit and is "
                         "sent as -0.3\n"))
        << run.err;
    const std::vector<std::string> frames = writtenFrames(trace);
    EXPECT_NE(std::find(frames.begin(), frames.end(), "62 0C 08 41 B3 96 0D"), frames.end());
    EXPECT_NE(std::find(frames.begin(), frames.end(), "62 0C 18 42 C0 78 0D"), frames.end());
}

}  // namespace
}  // namespace ecuprobe::cli
