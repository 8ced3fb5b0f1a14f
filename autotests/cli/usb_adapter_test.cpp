// A USB adapter with an FTDI chip, emulated by ecu-sim, end to end: the tester
// finds its latency timer through the simulator's fake sysfs and lowers it, or,
// where the file is read-only, says once what it costs and selftest fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using namespace testing_support;

namespace fs = std::filesystem;

const std::string slowAdapter =
    "ecuprobe-cli: Адаптер FTDI задерживает приём на 16 мс (latency_timer): обмен идёт в 2,2 "
    "раза медленнее. Уменьшите до 1 мс: правило udev "
    "/usr/lib/udev/rules.d/99-ecuprobe-ftdi-latency.rules установлено, переподключите адаптер.\n";

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

struct UsbCase {
    const char* name;
    bool readOnly;
    int selftestStatus;
    const char* selftestFinding;
    std::size_t advice;
};

class SlowUsbAdapter : public ::testing::TestWithParam<UsbCase> {
protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder / "run");
    }
    void TearDown() override { fs::remove_all(folder); }

    // ecuprobe-cli on the fake ttyUSB0, its sysfs and /dev roots on the fake tree.
    ChildResult tester(const std::string& arguments) const {
        const std::string tree = folder.string();
        return runChild("/bin/bash",
                        {"-c", "cd " + (folder / "run").string() + " && ECUPROBE_SYSFS_ROOT=" +
                                   tree + "/sys ECUPROBE_DEV_ROOT=" + tree + "/dev exec " +
                                   cliPath + " --port " + tree + "/dev/ttyUSB0 " + arguments});
    }

    const fs::path folder =
        fs::temp_directory_path() /
        ("ecuprobe_usb_" + std::string(GetParam().name) + "_" + std::to_string(::getpid()));
};

TEST_P(SlowUsbAdapter, IsLoweredOrToldOnceAndSelftestJudgesTheEcho) {
    Args simArgs{"--pacing", "--usb-latency", "16",           "--scenario",
                 "runup",    "--fake-sysfs",  folder.string()};
    if (GetParam().readOnly) {
        simArgs.push_back("--latency-read-only");
    }
    ecuprobe::testing::EcuSimProcess sim(ECU_SIM_PATH, simArgs);
    ASSERT_TRUE(sim.line().starts_with("READY "));

    const ChildResult check = tester("selftest --count 12");
    EXPECT_EQ(check.exitStatus, GetParam().selftestStatus) << check.out << check.err;
    EXPECT_TRUE(contains(check.out, GetParam().selftestFinding)) << check.out;
    EXPECT_EQ(occurrences(check.err, slowAdapter), GetParam().advice) << check.err;

    const ChildResult run = tester("test dynamic --dump car.tdm");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Время разгона(сек.): ")) << run.out;
    EXPECT_EQ(occurrences(run.err, slowAdapter), GetParam().advice) << run.err;
}

INSTANTIATE_TEST_SUITE_P(LatencyTimer, SlowUsbAdapter,
                         ::testing::Values(UsbCase{"Writable", false, 0,
                                                   "Echo: perfect, every byte came back as sent\n"
                                                   "Echo time: median 3",
                                                   0},
                                           UsbCase{"ReadOnly", true, 3, "\nEcho late: median ", 1}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::cli
