// The simulator's fake sysfs as the tester's serial device sees it, over a real
// pseudo-terminal: found, read, lowered where the file may be written.
#include "sim/fake_usb_sysfs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix_serial_device.h"
#include "platform/pty_pair.h"
#include "platform/serial_device_list.h"

namespace ecuprobe::sim {
namespace {

namespace fs = std::filesystem;

class FakeSysfs : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ready());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // The tester's device on the fake ttyUSB0, as ecu-sim links it to its pty.
    void openThroughTree(platform::PosixSerialDevice& device) {
        fs::create_symlink(pty.slavePath, sysfs.devicePath());
        ASSERT_TRUE(device.open(sysfs.devicePath()));
    }

    platform::DeviceTreeRoots roots() const { return {folder + "/sys", folder + "/dev"}; }

    const std::string folder =
        testing::TempDir() + "ecuprobe-fake-sysfs-" + std::to_string(::getpid());
    platform::testing_support::PtyPair pty;
    FakeUsbSysfs sysfs;
};

TEST_F(FakeSysfs, LooksLikeAnFtdiCableWhoseWritableTimerTheTesterLowers) {
    ASSERT_TRUE(sysfs.create(folder, 16, false)) << sysfs.error();
    platform::PosixSerialDevice device(roots());
    openThroughTree(device);
    const auto found = platform::findSerialDevice(pty.slavePath, roots());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "ttyUSB0");
    EXPECT_EQ(found->driver, "ftdi_sio");
    EXPECT_EQ(found->vendorId + ":" + found->productId, "0403:6001");
    EXPECT_FALSE(device.requestLowLatency()) << "a pseudo-terminal refuses TIOCSSERIAL";
    EXPECT_EQ(device.latencyTimerMs(), 16);
    EXPECT_TRUE(device.setLatencyTimerMs(1));
    EXPECT_EQ(device.latencyTimerMs(), 1);
    EXPECT_EQ(sysfs.latencyMs(), 1) << "the simulator follows what was written";
}

TEST_F(FakeSysfs, AReadOnlyTimerStaysEvenForRoot) {
    ASSERT_TRUE(sysfs.create(folder, 16, true)) << sysfs.error();
    platform::PosixSerialDevice device(roots());
    openThroughTree(device);
    EXPECT_FALSE(device.setLatencyTimerMs(1));
    EXPECT_EQ(device.latencyTimerMs(), 16);
}

TEST_F(FakeSysfs, WithoutATreeThereIsNoTimerAndATakenFolderIsRefused) {
    platform::PosixSerialDevice device(roots());
    ASSERT_TRUE(device.open(pty.slavePath));
    EXPECT_EQ(device.latencyTimerMs(), std::nullopt);
    EXPECT_FALSE(device.setLatencyTimerMs(1));
    fs::create_directories(folder + "/dev");
    EXPECT_FALSE(sysfs.create(folder, 16, false));
    EXPECT_TRUE(fs::exists(folder + "/dev")) << "what was there is left alone";
}

}  // namespace
}  // namespace ecuprobe::sim
