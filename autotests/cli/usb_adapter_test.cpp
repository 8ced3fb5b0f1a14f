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

// A folder of the emulated adapter's fake sysfs and /dev trees, and the tester run on it.
class FakeUsbTree : public ::testing::Test {
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

    // CTest runs each case in a process of its own.
    const fs::path folder =
        fs::temp_directory_path() / ("ecuprobe_usb_" + std::to_string(::getpid()));
};

class SlowUsbAdapter : public FakeUsbTree, public ::testing::WithParamInterface<UsbCase> {};

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

struct ServiceCase {
    const char* name;
    const char* arguments;
    const char* fromTheEcu;
};

// Its chip holds the echo past the echo read, so it comes with the answer; every
// service still gives what the ECU answered, never the tester's own request.
TEST_F(FakeUsbTree, AnAdapterHoldingBytes40MsLeavesEveryServiceTheEcusValues) {
    ecuprobe::testing::EcuSimProcess sim(
        ECU_SIM_PATH,
        {"--pacing", "--usb-latency", "40", "--latency-read-only", "--scenario", "runup",
         "--stored-faults", "13:20,131:60", "--fake-sysfs", folder.string()});
    ASSERT_TRUE(sim.line().starts_with("READY "));
    const ServiceCase services[] = {
        {"connect", "connect", "Тип ЭБУ: Микас 5.4\n"},
        {"faults", "faults", " 013:20, 131:60,\n"},
        {"ident", "ident", "Серийный номер ЭБУ:      Зав.№ 0104527\n"},
        {"live", "live --count 2", "Обороты (FREQ):           840 об/мин\n"},
        {"params", "params", "Обороты ХХ:                        850\n"},
        {"test dynamic", "test dynamic --dump car.tdm", "Время разгона(сек.): "},
    };
    for (const ServiceCase& service : services) {
        const ChildResult run = tester(service.arguments);
        EXPECT_EQ(run.exitStatus, 0) << service.name << ": " << run.err;
        EXPECT_TRUE(contains(run.out, service.fromTheEcu)) << service.name << ": " << run.out;
    }
}

}  // namespace
}  // namespace ecuprobe::cli
