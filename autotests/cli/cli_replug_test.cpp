// The cable pulled out and plugged back in under monitor and log, against ecu-sim
// on a link as a USB adapter under its by-id name. Run alone: they measure CPU
// time and need the simulator's answers in time.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

std::string freshPath(const std::string& name) {
    const std::string path = ::testing::TempDir() + "ecuprobe_replug_" + name;
    std::remove(path.c_str());
    return path;
}

// ecu-sim serving the line under a link, as a USB adapter under its by-id name.
class PulledAdapter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }

    // Pulls the simulated adapter out for ms, after a pause, while the test runs.
    void pullAfter(int afterMs, int forMs) {
        puller = std::thread([this, afterMs, forMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            sim.say("fault add vanish:once,ms=" + std::to_string(forMs));
        });
    }

    void TearDown() override {
        if (puller.joinable()) {
            puller.join();
        }
    }

    const std::string link = freshPath("adapter");
    ecuprobe::testing::EcuSimProcess sim{ECU_SIM_PATH, {"--pacing", "--link", link}};
    std::thread puller;
};

double childCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The pictures a monitor drew into a pipe, one block each.
std::vector<std::string> pictures(const std::string& out) {
    std::vector<std::string> blocks;
    for (std::size_t at = out.find("----\n"); at != std::string::npos;) {
        const std::size_t next = out.find("----\n", at + 5);
        blocks.push_back(out.substr(at + 5, next == std::string::npos ? next : next - at - 5));
        at = next;
    }
    return blocks;
}

TEST_F(PulledAdapter, MonitorShowsItGoneAndCarriesOnWhenItIsBack) {
    pullAfter(3000, 2000);
    const ChildResult run =
        runChild(cliPath, {"--port", link, "monitor", "-p", "0"}, {{8500, "quit"}, {20000, ""}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::string goneNote = "\nСвязь: Адаптер отключён: " + link + " — ";
    const std::vector<std::string> drawn = pictures(run.out);
    const auto gone = std::find_if(drawn.begin(), drawn.end(), [&](const std::string& picture) {
        return contains(picture, goneNote);
    });
    ASSERT_NE(gone, drawn.end()) << run.out;
    const auto back = std::find_if(gone, drawn.end(), [&](const std::string& picture) {
        return contains(picture, "\nСвязь: ЭБУ Микас 5.4 на связи\n") &&
               contains(picture, "Состояние: ЭБУ Микас 5.4. \n");
    });
    EXPECT_NE(back, drawn.end()) << run.out;
    EXPECT_TRUE(contains(run.out, "Управление возвращено ЭБУ, порт закрыт.")) << run.out;
}

TEST_F(PulledAdapter, ALogLoopWaitsForItWithoutCpuAndGoesOn) {
    const std::string log = freshPath("pulled.msl");
    pullAfter(2500, 2500);
    const double cpuBefore = childCpuSeconds();
    const ChildResult run =
        runChild(cliPath, {"--port", link, "log", "--out", log, "--period", "0"},
                 {{8000, "", SIGINT}, {20000, ""}});
    const double cpu = childCpuSeconds() - cpuBefore;
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: адаптер отключён: " + link + "\n")) << run.err;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: the adapter is back on " + link + "\n"));
    // About a third of a second of CPU for the whole run; a loop that spun while
    // the adapter was out would burn the 2.5 s it was gone.
    EXPECT_LT(cpu, 1.5);
    const std::vector<std::vector<std::string>> rows = logRows(log);
    double last = 0;
    double widestGap = 0;
    for (std::size_t n = 2; n < rows.size(); ++n) {
        const double time = std::strtod(rows[n][0].c_str(), nullptr);
        widestGap = std::max(widestGap, time - last);
        last = time;
    }
    EXPECT_GT(widestGap, 2.0) << "the rows stop while it is out";
    EXPECT_GT(last, 6.0) << "and go on when it is back";
}

}  // namespace
}  // namespace ecuprobe::cli
