#include "sim/usb_adapter_line.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "platform/clock.h"

namespace ecuprobe::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An adapter without a chip of its own: echoes at once, and sends what a test
// queues at the moment it names.
class PlainLine final : public ServedLine {
public:
    explicit PlainLine(platform::Clock& lineClock) : clock(lineClock) {}

    void fromTester(std::span<const std::uint8_t> bytes) override {
        for (std::uint8_t b : bytes) {
            pending.emplace_back(clock.tickMs(), b);
        }
    }
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override {
        std::size_t n = 0;
        while (n < max && !pending.empty() && pending.front().first <= clock.tickMs()) {
            buffer[n++] = pending.front().second;
            pending.pop_front();
        }
        return n;
    }
    std::optional<std::uint32_t> msUntilDue() const override {
        if (pending.empty()) {
            return std::nullopt;
        }
        return msUntil(pending.front().first, clock.tickMs());
    }
    bool present() const override { return plugged; }
    int vanishCount() const override { return vanishes; }
    void sendAt(std::uint32_t atMs, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            pending.emplace_back(atMs, static_cast<std::uint8_t>(i));
        }
    }

    bool plugged = true;
    int vanishes = 0;

private:
    platform::Clock& clock;
    std::deque<std::pair<std::uint32_t, std::uint8_t>> pending;
};

class UsbAdapter : public testing::Test {
protected:
    // What the tester has received by atMs, in all.
    std::size_t receivedBy(UsbAdapterLine& usb, std::uint32_t atMs) {
        clock.advance(atMs - clock.tickMs());
        std::uint8_t buffer[512];
        received += usb.toTester(buffer, sizeof buffer);
        return received;
    }

    platform::FakeClock clock{1000};
    PlainLine line{clock};
    std::size_t received = 0;
};

TEST_F(UsbAdapter, HoldsTheEchoUntilTheTimerRunsOutOnItsGrid) {
    UsbAdapterLine usb(line, clock, 16, false);
    clock.advance(5);
    const Bytes request{0x63, 0x9D, 0x0D};
    usb.fromTester(request);
    EXPECT_EQ(receivedBy(usb, 1005), 0u);
    EXPECT_EQ(usb.msUntilDue(), 11u) << "the tick at 16 ms from the start";
    EXPECT_EQ(receivedBy(usb, 1015), 0u);
    EXPECT_EQ(receivedBy(usb, 1016), 3u);
    EXPECT_EQ(usb.msUntilDue(), std::nullopt) << "nothing held, nothing due";
    line.sendAt(1020, 4);
    EXPECT_EQ(usb.msUntilDue(), 4u) << "the line's own byte comes first";
    EXPECT_EQ(receivedBy(usb, 1031), 3u);
    EXPECT_EQ(receivedBy(usb, 1032), 7u);
}

TEST_F(UsbAdapter, PassesSixtyTwoBytesOnAtOnceAndHoldsTheRest) {
    UsbAdapterLine usb(line, clock, 16, false);
    line.sendAt(1001, 130);
    EXPECT_EQ(receivedBy(usb, 1001), 124u) << "two whole packets";
    EXPECT_EQ(receivedBy(usb, 1015), 124u);
    EXPECT_EQ(receivedBy(usb, 1016), 130u);
}

TEST_F(UsbAdapter, APulledAdapterLosesWhatItsChipHeldAndWaitsForNothing) {
    UsbAdapterLine usb(line, clock, 16, false);
    line.sendAt(1001, 5);
    EXPECT_EQ(receivedBy(usb, 1001), 0u);
    line.plugged = false;
    ++line.vanishes;
    EXPECT_EQ(usb.msUntilDue(), std::nullopt) << "a server would spin waiting for it";
    line.plugged = true;
    EXPECT_EQ(receivedBy(usb, 1100), 0u);
}

TEST_F(UsbAdapter, PacedBytesReachTheChipOneByOneAtNineSixHundredBitsASecond) {
    UsbAdapterLine usb(line, clock, 1, true);
    line.sendAt(1000, 10);
    // Each byte takes 1.04 ms on the line: four are in the chip after 5 ms.
    EXPECT_EQ(receivedBy(usb, 1000), 0u);
    EXPECT_EQ(receivedBy(usb, 1005), 4u);
    EXPECT_EQ(usb.msUntilDue(), 1u);
    EXPECT_EQ(receivedBy(usb, 1010), 9u);
    EXPECT_EQ(receivedBy(usb, 1011), 10u);
}

TEST_F(UsbAdapter, FollowsTheTimerAPersonSetsAtItsNextLook) {
    std::optional<int> setting = 16;
    UsbAdapterLine usb(line, clock, 16, false, [&setting] { return setting; });
    EXPECT_EQ(receivedBy(usb, 1000), 0u);
    setting = 1;
    line.sendAt(1050, 2);
    EXPECT_EQ(receivedBy(usb, 1050), 0u) << "not looked at again before 100 ms";
    EXPECT_EQ(receivedBy(usb, 1064), 2u);
    EXPECT_EQ(usb.latencyMs(), 16);
    line.sendAt(1100, 2);
    EXPECT_EQ(receivedBy(usb, 1100), 4u) << "the new grid starts with a tick";
    EXPECT_EQ(usb.latencyMs(), 1);
    line.sendAt(1100, 1);
    EXPECT_EQ(receivedBy(usb, 1101), 5u);
    for (const std::optional<int> unusable : {std::optional<int>{}, std::optional<int>{0}}) {
        setting = unusable;
        receivedBy(usb, clock.tickMs() + 100);
        EXPECT_EQ(usb.latencyMs(), 1) << "an unreadable or impossible value is not heeded";
    }
}

}  // namespace
}  // namespace ecuprobe::sim
