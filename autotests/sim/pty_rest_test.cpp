// The pty server's rest between events, on a fake clock: it waits without limit
// while idle, wakes for the tester's byte, and for an answer that falls due.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Rests for real only while nothing is due (until a byte or wake()); a rest with
// a timeout passes at once on the fake clock.
class RestOnFakeClock final : public IdleWait {
public:
    RestOnFakeClock(platform::FakeClock& fake, std::vector<int>& asked)
        : clock(fake), timeouts(asked) {}

    bool until(int fd, int timeoutMs) override {
        timeouts.push_back(timeoutMs);
        if (timeoutMs >= 0) {
            clock.advance(static_cast<std::uint32_t>(timeoutMs));
            return false;
        }
        return real.until(fd, -1);
    }
    void wake() override { real.wake(); }

private:
    platform::FakeClock& clock;
    std::vector<int>& timeouts;
    PollWait real;
};

// Reads `count` bytes from the tester's side, or what came within a generous bound.
Bytes readFromLine(int fd, std::size_t count) {
    Bytes got;
    pollfd p{fd, POLLIN, 0};
    while (got.size() < count && ::poll(&p, 1, 5000) > 0) {
        std::uint8_t buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

TEST(PtyServerRest, WaitsForTheTestersByteThenForTheAnswerDue) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.answerDelayMs = 40;
    SimulatedEcu ecu(clock, options);
    std::vector<int> timeouts;
    PtyServer server(ecu, {}, {}, std::make_unique<RestOnFakeClock>(clock, timeouts));
    ASSERT_TRUE(server.open()) << server.error();
    const int tester = ::open(server.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tester, 0);
    server.start();

    const Bytes request{0x01, 0xFF, 0x0D};
    ASSERT_EQ(::write(tester, request.data(), request.size()), 3);
    EXPECT_EQ(readFromLine(tester, 6), (Bytes{0x01, 0xFF, 0x0D, 0x09, 0xF7, 0x0D}));
    server.stop();
    ::close(tester);
    ASSERT_GE(timeouts.size(), 2u);
    EXPECT_EQ(timeouts[0], -1) << "idle: no wake-up until the tester writes";
    EXPECT_EQ(timeouts[1], 40) << "then exactly until the answer is due";
}

TEST(PollWait, WakesForAByteAndForWake) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    PollWait rest;
    rest.wake();
    EXPECT_FALSE(rest.until(pipeFds[0], -1)) << "woken, nothing to read";
    ASSERT_EQ(::write(pipeFds[1], "x", 1), 1);
    EXPECT_TRUE(rest.until(pipeFds[0], -1));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

}  // namespace
}  // namespace ecuprobe::sim
