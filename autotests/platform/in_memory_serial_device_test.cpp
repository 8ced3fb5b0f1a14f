#include "platform/in_memory_serial_device.h"

#include <gtest/gtest.h>

#include <vector>

namespace ecuprobe::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

class InMemoryDevice : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.open("/dev/k-line"));
        ASSERT_TRUE(device.setTimeouts({20, 1, 20}));
    }

    FakeClock clock;
    EchoPeer peer;
    InMemorySerialDevice device{clock, peer};
};

TEST_F(InMemoryDevice, ShortReadWaitsItsWholeDeadlineInVirtualTime) {
    peer.answer(Bytes{0x01, 0x02});
    Bytes got(5);
    const ReadOutcome read = device.read(got.data(), got.size());
    EXPECT_EQ(read.count, 2u);
    EXPECT_EQ(read.status, IoStatus::timedOut);
    EXPECT_EQ(clock.totalSleptMs(), 5u * 1u + 20u);
}

TEST_F(InMemoryDevice, CompleteReadTakesNoTime) {
    peer.answer(Bytes{0x01, 0x02});
    Bytes got(2);
    EXPECT_EQ(device.read(got.data(), got.size()).status, IoStatus::ok);
    EXPECT_EQ(clock.totalSleptMs(), 0u);
}

TEST_F(InMemoryDevice, EchoesWhatIsWrittenAndFlushDropsIt) {
    const Bytes frame{0x63, 0x9D, 0x0D};
    device.write(frame.data(), frame.size());
    EXPECT_EQ(peer.written, frame);
    device.flushInput();
    std::uint8_t byte = 0;
    EXPECT_EQ(device.read(&byte, 1).count, 0u);
}

TEST_F(InMemoryDevice, OpenIsExclusiveAndMissingPathsDoNotOpen) {
    EXPECT_FALSE(device.open("/dev/k-line"));
    ASSERT_TRUE(device.close());
    device.missingPaths.push_back("/dev/k-line");
    EXPECT_FALSE(device.open("/dev/k-line"));
}

class UnpluggablePeer : public EchoPeer {
public:
    bool present() const override { return plugged; }
    bool plugged = true;
};

TEST(InMemoryDeviceGone, VanishedPeerGivesGoneAndCannotBeOpenedUntilItIsBack) {
    FakeClock clock;
    UnpluggablePeer peer;
    InMemorySerialDevice device{clock, peer};
    ASSERT_TRUE(device.open("/dev/k-line"));
    peer.plugged = false;
    std::uint8_t byte = 0x01;
    EXPECT_EQ(device.read(&byte, 1).status, IoStatus::gone);
    EXPECT_EQ(device.write(&byte, 1).status, IoStatus::gone);
    EXPECT_TRUE(peer.written.empty());
    ASSERT_TRUE(device.close());
    EXPECT_FALSE(device.exists("/dev/k-line"));
    EXPECT_FALSE(device.open("/dev/k-line"));
    peer.plugged = true;
    EXPECT_TRUE(device.exists("/dev/k-line"));
    EXPECT_TRUE(device.open("/dev/k-line"));
}

}  // namespace
}  // namespace ecuprobe::platform
