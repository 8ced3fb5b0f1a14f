// What a simulator left serving for hours holds and when it next has to wake.
#include <gtest/gtest.h>

#include "sim/request_history.h"
#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using testing::exchange;

TEST(RequestHistory, KeepsOnlyTheMostRecentRequests) {
    RequestHistory history(3);
    for (std::uint32_t at = 0; at < 5; ++at) {
        history.add({at, {0x01}, false});
    }
    history.markLatestAnswered();
    const std::vector<LoggedRequest> kept = history.all();
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.front().atMs, 2u);
    EXPECT_EQ(kept.back().atMs, 4u);
    EXPECT_FALSE(kept[1].answered);
    EXPECT_TRUE(kept.back().answered);
}

TEST(SimulatedEcuAtRest, TellsWhenTheNextByteOrItsReturnIsDue) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.answerDelayMs = 40;
    SimulatedEcu ecu(clock, options);
    EXPECT_EQ(ecu.msUntilDue(), std::nullopt) << "idle: nothing to wake for";

    EXPECT_EQ(exchange(ecu, clock, {0x01, 0xFF, 0x0D}).size(), 3u) << "the echo, at once";
    EXPECT_EQ(ecu.msUntilDue(), 40u);
    clock.advance(15);
    EXPECT_EQ(ecu.msUntilDue(), 25u);
    EXPECT_EQ(exchange(ecu, clock, {}, 25).size(), 3u) << "the answer, when due";
    EXPECT_EQ(ecu.msUntilDue(), std::nullopt);

    ecu.addFault({FaultKind::vanish, {FaultTrigger::Mode::once, 1, 1, {}}, 1500});
    exchange(ecu, clock, {0x01, 0xFF, 0x0D}, 500);
    EXPECT_EQ(ecu.msUntilDue(), 1000u) << "the device's return";
}

}  // namespace
}  // namespace ecuprobe::sim
