#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

std::string freshPath(const std::string& name) {
    const std::string path =
        ::testing::TempDir() + "ecuprobe_noecho_" + std::to_string(::getpid()) + "_" + name;
    std::remove(path.c_str());
    return path;
}

// ecu-sim on a pseudo-terminal behind an adapter that cancels its own echo.
class AdapterWithoutEcho : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }

    const std::string link = freshPath("link");
    ecuprobe::testing::EcuSimProcess sim{
        ECU_SIM_PATH,
        {"--no-echo", "--scenario", "runup", "--stored-faults", "13:20", "--link", link}};
};

TEST_F(AdapterWithoutEcho, ServesEveryCommandWithNoEchoAndReadsNoEcho) {
    const struct {
        Args args;
        const char* shown;
    } cases[] = {
        {{"connect"}, "Тип ЭБУ: Микас 5.4"},
        {{"faults"}, "013:20"},
        {{"live", "--count", "2", "--tsv"}, "\n"},
        {{"test", "dynamic"}, "Время разгона(сек.): "},
    };
    for (const auto& c : cases) {
        const std::string trace = freshPath("served.trace");
        Args args{"--port", link, "--no-echo", "--trace", trace};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ChildResult run = runChild(cliPath, args);
        EXPECT_EQ(run.exitStatus, 0) << c.args.front() << ": " << run.err;
        EXPECT_TRUE(contains(run.out, c.shown)) << c.args.front() << ": " << run.out;
        EXPECT_FALSE(contains(fileText(trace), "ECHO")) << c.args.front();
        EXPECT_FALSE(writtenFrames(trace).empty()) << c.args.front();
    }
}

TEST_F(AdapterWithoutEcho, IsNamedAndPointedToNoEchoWithoutIt) {
    const ChildResult run = runChild(cliPath, {"--port", link, "connect"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_TRUE(contains(run.err, "адаптер без эха")) << run.err;
    EXPECT_TRUE(contains(run.err, "run with --no-echo")) << run.err;
}

// Set for no echo on an adapter that does echo, the tester still reads the
// ECU's answers, not its own requests coming back.
TEST(NoEchoOnAnEchoingAdapter, TakesTheAnswersNotTheEcho) {
    const ChildResult run = runChild(cliPath, {"--simulate", "--no-echo", "connect"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Тип ЭБУ: Микас 5.4")) << run.out;
}

}  // namespace
}  // namespace ecuprobe::cli
