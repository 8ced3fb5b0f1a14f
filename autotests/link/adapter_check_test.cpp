#include "link/adapter_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

#include "link/framing.h"
#include "platform/in_memory_serial_device.h"

namespace ecuprobe::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SelfTestFrames, NineFramesCarryEveryByteValueAndNoReceiverTakesOneForARequest) {
    SelfTestFrames frames;
    std::bitset<256> sent;
    FrameCollector collector;
    std::array<std::uint8_t, frameBufferSize> buffer{};
    for (int n = 1; n <= 600; ++n) {
        const Bytes frame = frames.next();
        ASSERT_EQ(frame.size(), SelfTestFrames::frameLength);
        EXPECT_EQ(frame.back(), frameTerminator);
        EXPECT_NE(frame[frame.size() - 2], escapeByte) << "0x40 right before the terminator";
        EXPECT_EQ(std::count(frame.begin(), frame.end(), frameTerminator), 1);
        for (const std::uint8_t b : frame) {
            sent.set(b);
            ASSERT_NE(feedByte(collector, buffer, b), FeedResult::complete) << "frame " << n;
        }
        if (n == SelfTestFrames::framesForEveryValue) {
            EXPECT_TRUE(sent.all());
        }
    }
}

// An adapter whose echo a test chooses: as sent, changed, short, late or none.
class TestAdapter final : public platform::WirePeer {
public:
    explicit TestAdapter(platform::Clock& lineClock) : clock(lineClock) {}

    void fromTester(std::span<const std::uint8_t> bytes) override {
        ++writes;
        const std::uint32_t due = clock.tickMs() + (writes == lateWrite ? lateByMs : 0);
        for (const std::uint8_t b : echoOf(Bytes(bytes.begin(), bytes.end()))) {
            pending.push_back({due, b});
        }
        if (writes == unplugAfterWrites) {
            plugged = false;
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
    bool present() const override { return plugged; }

    std::function<Bytes(Bytes)> echoOf = [](Bytes sent) { return sent; };
    int unplugAfterWrites = -1;
    int lateWrite = -1;
    std::uint32_t lateByMs = 0;

private:
    platform::Clock& clock;
    std::deque<std::pair<std::uint32_t, std::uint8_t>> pending;
    int writes = 0;
    bool plugged = true;
};

class SelfTest : public testing::Test {
protected:
    SelfTestResult run(int frames) {
        port.attach(device, clock, ports);
        EXPECT_EQ(port.open(2), OpenResult::opened);
        return runAdapterSelfTest(port, frames, [] { return true; });
    }

    platform::FakeClock clock;
    TestAdapter adapter{clock};
    platform::InMemorySerialDevice device{clock, adapter};
    platform::PortMap ports;
    SerialPort port;
};

std::bitset<256> values(std::initializer_list<std::uint8_t> list) {
    std::bitset<256> set;
    for (const std::uint8_t v : list) {
        set.set(v);
    }
    return set;
}

TEST_F(SelfTest, APerfectEchoIsTimedFrameByFrame) {
    const SelfTestResult result = run(20);
    EXPECT_TRUE(result.perfect());
    EXPECT_EQ(result.framesSent, 20);
    EXPECT_EQ(result.echoMs, std::vector<std::uint32_t>(20, 3)) << "the pause before the echo read";
    EXPECT_EQ(result.medianEchoMs(), 3u);
    EXPECT_EQ(result.worstEchoMs(), 3u);
    EXPECT_TRUE(result.badValues.none());
}

TEST_F(SelfTest, EachKindOfEchoFaultIsCountedWithTheValuesItHit) {
    const struct {
        const char* name;
        std::function<Bytes(Bytes)> echo;
        int without, shortened, changed;
        std::bitset<256> bad;
    } cases[] = {
        {"no echo", [](Bytes) { return Bytes{}; }, 9, 0, 0, std::bitset<256>().set()},
        {"XON/XOFF swallowed",
         [](Bytes sent) {
             std::erase_if(sent, [](std::uint8_t b) { return b == 0x11 || b == 0x13; });
             return sent;
         },
         0, 1, 0, values({0x11, 0x13})},
        {"0x40 changed",
         [](Bytes sent) {
             std::replace(sent.begin(), sent.end(), std::uint8_t{0x40}, std::uint8_t{0x41});
             return sent;
         },
         0, 0, 1, values({0x40})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        adapter.echoOf = c.echo;
        const SelfTestResult result = run(SelfTestFrames::framesForEveryValue);
        port.close();
        EXPECT_FALSE(result.perfect());
        EXPECT_EQ(result.framesWithoutEcho, c.without);
        EXPECT_EQ(result.framesEchoedShort, c.shortened);
        EXPECT_EQ(result.framesEchoedChanged, c.changed);
        EXPECT_EQ(result.badValues, c.bad);
        EXPECT_EQ(result.echoMs.size(), static_cast<std::size_t>(9 - result.echoErrors()));
    }
}

TEST_F(SelfTest, AnEchoPastItsDeadlineIsReadToItsEndAndNotTakenForTheNext) {
    // The echo read of 32 bytes gives up 3 + 32 + 20 ms after the write.
    adapter.lateWrite = 2;
    adapter.lateByMs = 60;
    const SelfTestResult result = run(5);
    EXPECT_EQ(result.framesEchoedLate, 1);
    EXPECT_EQ(result.echoErrors(), 1) << "the frames after it are echoed as sent";
    EXPECT_TRUE(result.badValues.none());
    EXPECT_EQ(result.echoMs.size(), 4u);
}

TEST_F(SelfTest, StopsWhenTheAdapterIsPulled) {
    adapter.unplugAfterWrites = 3;
    const SelfTestResult result = run(50);
    EXPECT_TRUE(result.deviceGone);
    EXPECT_FALSE(result.perfect());
    EXPECT_EQ(result.framesSent, 3);
    EXPECT_EQ(result.framesReadFailed, 1);
}

}  // namespace
}  // namespace ecuprobe::link
