#include "platform/posix_serial_device.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/device_access.h"
#include "platform/pty_pair.h"

// Integration tests over a real pseudo-terminal: these wait for real, with short
// deadlines, and prove what the kernel does with the settings.
namespace ecuprobe::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::PtyPair;

const LineSettings kLine{9600, 8, Parity::none, 1, true, false, false, false, true, true};

// Every byte that a cooked terminal would translate, swallow or act on: CR, LF,
// XON, XOFF, NUL, the escape byte, ^C, ^D, ^U, ^Z, DEL and a high byte.
const Bytes kControlBytes{0x0D, 0x0A, 0x11, 0x13, 0x00, 0x40, 0x03, 0x04, 0x15, 0x1A, 0x7F, 0xFF};

class PosixSerialDeviceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ready()); }

    void openConfigured(const ReadTimeouts& timeouts) {
        ASSERT_TRUE(device.open(pty.slavePath));
        LineSettings found;
        ASSERT_TRUE(device.readLineSettings(found));
        device.applyLineSettings(kLine);
        ASSERT_TRUE(device.setTimeouts(timeouts));
    }

    static std::int64_t msSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }

    PtyPair pty;
    PosixSerialDevice device;
};

TEST_F(PosixSerialDeviceTest, ControlBytesCrossUnchangedInBothDirections) {
    openConfigured({200, 0, 2000});
    ASSERT_TRUE(pty.send(kControlBytes));
    Bytes got(kControlBytes.size());
    const ReadOutcome read = device.read(got.data(), got.size());
    EXPECT_EQ(read.status, IoStatus::ok);
    EXPECT_EQ(got, kControlBytes);

    const WriteOutcome written = device.write(kControlBytes.data(), kControlBytes.size());
    EXPECT_EQ(written.status, IoStatus::ok);
    EXPECT_EQ(written.count, kControlBytes.size());
    EXPECT_EQ(pty.receive(kControlBytes.size()), kControlBytes);
}

TEST_F(PosixSerialDeviceTest, PtyCannotRaiseDtrAndRtsButTakesTheRest) {
    ASSERT_TRUE(device.open(pty.slavePath));
    LineSettings found;
    ASSERT_TRUE(device.readLineSettings(found));
    EXPECT_FALSE(device.applyLineSettings(kLine));
    LineSettings now;
    ASSERT_TRUE(device.readLineSettings(now));
    now.dtr = true;
    now.rts = true;
    EXPECT_EQ(now, kLine);
}

TEST_F(PosixSerialDeviceTest, CloseRestoresTheSettingsFoundAtOpen) {
    termios before{};
    ASSERT_EQ(tcgetattr(pty.master, &before), 0);
    openConfigured({20, 1, 20});
    termios during{};
    ASSERT_EQ(tcgetattr(pty.master, &during), 0);
    EXPECT_NE(during.c_lflag, before.c_lflag);
    EXPECT_TRUE(device.close());
    termios after{};
    ASSERT_EQ(tcgetattr(pty.master, &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

TEST_F(PosixSerialDeviceTest, OpenIsExclusiveUntilClosed) {
    ASSERT_TRUE(device.open(pty.slavePath));
    PosixSerialDevice second;
    EXPECT_FALSE(second.open(pty.slavePath));
    EXPECT_TRUE(device.close());
    EXPECT_TRUE(second.open(pty.slavePath));
}

// Why an open failed is named at the call that failed, from its errno.
TEST_F(PosixSerialDeviceTest, NamesWhyADeviceDidNotOpen) {
    ASSERT_TRUE(device.open(pty.slavePath));
    PosixSerialDevice second;
    EXPECT_FALSE(second.open(pty.slavePath));
    EXPECT_EQ(second.openFailure().cause, OpenFailureCause::busy);
    EXPECT_FALSE(second.open("/nonexistent/ttyK"));
    EXPECT_EQ(second.openFailure().cause, OpenFailureCause::notFound);
    // A plain file opens and locks; reading its line settings is the step that fails.
    const std::string file = testing::TempDir() + "ecuprobe-not-a-tty-" + std::to_string(getpid());
    std::ofstream{file} << "x";
    ASSERT_TRUE(second.open(file));
    LineSettings found;
    EXPECT_FALSE(second.readLineSettings(found));
    EXPECT_EQ(second.openFailure().cause, OpenFailureCause::notTty);
    EXPECT_TRUE(second.close());
    std::remove(file.c_str());
}

TEST(PosixOpenFailure, NamesTheCauseOfEachErrno) {
    const struct {
        int error;
        OpenFailureCause cause;
    } cases[] = {{ENOENT, OpenFailureCause::notFound},   {ENOTDIR, OpenFailureCause::notFound},
                 {EACCES, OpenFailureCause::permission}, {EPERM, OpenFailureCause::permission},
                 {EBUSY, OpenFailureCause::busy},        {ENOTTY, OpenFailureCause::notTty},
                 {ENXIO, OpenFailureCause::gone},        {ENODEV, OpenFailureCause::gone},
                 {EIO, OpenFailureCause::gone}};
    for (const auto& c : cases) {
        EXPECT_EQ(openFailureOfErrno(c.error), (OpenFailure{c.cause, {}})) << c.error;
    }
    EXPECT_EQ(openFailureOfErrno(EINVAL), (OpenFailure{OpenFailureCause::other, strerror(EINVAL)}));
}

// Joining dialout is the advice only where the group is what access lacks.
TEST(PosixOpenFailure, AdvisesTheDialoutGroupOnlyWhenItIsTheCause) {
    const struct {
        DeviceAccess device;
        OpenFailure failure;
    } cases[] = {
        {{"root", "dialout", 0660, false}, {OpenFailureCause::permission, {}}},
        {{"root", "dialout", 0600, true},
         {OpenFailureCause::modeDenied, "владелец root, группа dialout, права rw-------"}},
        {{"mechanic", "tty", 0620, false},
         {OpenFailureCause::modeDenied, "владелец mechanic, группа tty, права rw--w----"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusedAccess(c.device), c.failure) << c.device.group;
    }
    // A file of this process's own group; a path that is not there gives no access to tell.
    const std::string file = testing::TempDir() + "ecuprobe-access-" + std::to_string(getpid());
    std::ofstream{file} << "x";
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    const std::optional<DeviceAccess> access = readDeviceAccess(file);
    std::remove(file.c_str());
    ASSERT_TRUE(access);
    EXPECT_EQ(access->mode, 0640U);
    EXPECT_TRUE(access->callerInGroup);
    EXPECT_FALSE(readDeviceAccess(file));
}

// Another program holds the line with flock but without TIOCEXCL; the failed open
// must not leave the exclusive flag on that program's tty.
TEST_F(PosixSerialDeviceTest, OpenRefusedByAnotherProgramsLockLeavesItsTtyAsItWas) {
    const int other = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(device.open(pty.slavePath));
    int exclusive = -1;
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(other);
}

TEST_F(PosixSerialDeviceTest, MissingPathDoesNotOpen) {
    EXPECT_FALSE(device.open("/dev/ecuprobe-no-such-device"));
    EXPECT_FALSE(device.isOpen());
}

TEST_F(PosixSerialDeviceTest, NonTerminalOpensButHasNoLineSettings) {
    ASSERT_TRUE(device.open("/dev/null"));
    LineSettings found;
    EXPECT_FALSE(device.readLineSettings(found));
}

TEST_F(PosixSerialDeviceTest, SilentLineTimesOutAfterTheTotalDeadline) {
    openConfigured({20, 1, 20});
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    const ReadOutcome read = device.read(&byte, 1);
    EXPECT_EQ(read.status, IoStatus::timedOut);
    EXPECT_EQ(read.count, 0u);
    EXPECT_GE(msSince(start), 21);
}

TEST_F(PosixSerialDeviceTest, ReadEndsOnTheGapAfterTheLastByte) {
    openConfigured({30, 0, 2000});
    ASSERT_TRUE(pty.send({0x09, 0xF7}));
    Bytes got(10);
    const ReadOutcome read = device.read(got.data(), got.size());
    EXPECT_EQ(read.status, IoStatus::timedOut);
    ASSERT_EQ(read.count, 2u);
    EXPECT_EQ(got[1], 0xF7);
}

TEST_F(PosixSerialDeviceTest, FlushInputDropsBytesThatWereWaiting) {
    openConfigured({0, 0, 2000});
    // One write reaches the slave in one piece: once its first byte can be read,
    // the rest is waiting too.
    ASSERT_TRUE(pty.send({0x09, 0xF7, 0x0D}));
    std::uint8_t byte = 0;
    ASSERT_EQ(device.read(&byte, 1).count, 1u);
    device.flushInput();
    ASSERT_TRUE(device.setTimeouts({0, 0, 50}));
    EXPECT_EQ(device.read(&byte, 1).count, 0u);
}

TEST_F(PosixSerialDeviceTest, ClosedMasterIsAGoneDeviceNotATimeout) {
    openConfigured({20, 1, 500});
    pty.closeMaster();
    std::uint8_t byte = 0x63;
    EXPECT_EQ(device.read(&byte, 1).status, IoStatus::gone);
    EXPECT_EQ(device.write(&byte, 1).status, IoStatus::gone);
}

TEST_F(PosixSerialDeviceTest, ClosedDeviceFailsEveryCall) {
    std::uint8_t byte = 0;
    LineSettings found;
    ReadTimeouts timeouts;
    EXPECT_EQ(device.read(&byte, 1).status, IoStatus::failed);
    EXPECT_EQ(device.write(&byte, 1).status, IoStatus::failed);
    EXPECT_FALSE(device.readLineSettings(found));
    EXPECT_FALSE(device.readTimeouts(timeouts));
    EXPECT_FALSE(device.setTimeouts(timeouts));
}

}  // namespace
}  // namespace ecuprobe::platform
