// The engine and car model on virtual time, checked against physics rather than
// against its own numbers.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using testing::exchange;
using testing::runFor;

SimulatedEcuOptions scenario(Scenario s) {
    SimulatedEcuOptions options;
    options.scenario = s;
    return options;
}

TEST(EngineModel, IdlesSteadilyAtTheSetPoint) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    double low = 1e9;
    double high = 0;
    runFor(ecu, clock, 10'000, 50, [&](const EngineTruth& t) {
        low = std::min(low, t.rpm);
        high = std::max(high, t.rpm);
    });
    const EngineTruth t = ecu.truth();
    EXPECT_NEAR(low, t.idleSetpointRpm, 20);
    EXPECT_NEAR(high, t.idleSetpointRpm, 20);
    EXPECT_NEAR(t.supplyV, 14, 0.5);
    EXPECT_GT(t.airKgH, 3);
    EXPECT_LT(t.airKgH, 15);
    EXPECT_GT(t.fuelLH, 0.3);
    EXPECT_LT(t.fuelLH, 1.5);
}

TEST(EngineModel, FullThrottleFromIdlePasses5500WithinSecondsAndOnlyRises) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.setThrottle(100);
    double last = ecu.truth().rpm;
    std::uint32_t reachedMs = 0;
    std::uint32_t elapsed = 0;
    runFor(ecu, clock, 5'000, 10, [&](const EngineTruth& t) {
        elapsed += 10;
        if (reachedMs == 0) {
            EXPECT_GE(t.rpm, last) << "at " << elapsed << " ms";
            if (t.rpm >= 5500) {
                reachedMs = elapsed;
            }
        }
        last = t.rpm;
    });
    EXPECT_GT(reachedMs, 500u) << "an engine has inertia";
    EXPECT_LT(reachedMs, 4'000u);
}

TEST(EngineModel, CoastDownCutsTheFuelAndFallsMonotonicallyToIdle) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.setThrottle(100);
    runFor(ecu, clock, 5'000, 10, [](const EngineTruth&) {});
    ecu.setThrottle(0);
    clock.advance(300);
    ecu.advance();
    ASSERT_GT(ecu.truth().rpm, 5000);
    double last = ecu.truth().rpm;
    bool sawCutWithNoFuel = false;
    bool settled = false;
    runFor(ecu, clock, 15'000, 10, [&](const EngineTruth& t) {
        if (t.fuelCut) {
            sawCutWithNoFuel = t.fuelLH == 0 && t.injectionMs == 0;
            EXPECT_GT(t.rpm, 1200);
        }
        if (!settled) {
            EXPECT_LE(t.rpm, last + 0.01);
            settled = t.rpm < t.idleSetpointRpm + 30;
        }
        last = t.rpm;
    });
    EXPECT_TRUE(sawCutWithNoFuel);
    EXPECT_TRUE(settled);
    EXPECT_NEAR(ecu.truth().rpm, ecu.truth().idleSetpointRpm, 30);
    EXPECT_TRUE(ecu.truth().running);
}

TEST(EngineModel, VehicleSpeedFollowsEngineSpeedThroughTheGearRatio) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock, scenario(Scenario::road));
    ecu.startManoeuvre();
    bool checkedTop = false;
    int msInTop = 0;
    runFor(ecu, clock, 60'000, 20, [&](const EngineTruth& t) {
        msInTop = t.gear == 4 ? msInTop + 20 : 0;
        // Half a second after the shift the clutch has taken up the slip.
        if (msInTop > 500 && t.throttlePct > 90) {
            // 4th gear is direct: 3.9 final drive, 0.31 m wheel radius.
            const double expected = t.rpm / 3.9 * 2 * 3.14159265 * 0.31 * 60 / 1000;
            EXPECT_NEAR(t.vehicleKmh, expected, expected * 0.03);
            checkedTop = true;
        }
    });
    EXPECT_TRUE(checkedTop);
    EXPECT_LT(ecu.truth().vehicleKmh, 1) << "the road run ends braked to a stop";
}

TEST(EngineModel, CoolantWarmsWithoutFallingUntilTheFanCutsInThenCycles) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock, scenario(Scenario::coldstart));
    double last = ecu.truth().coolantC;
    bool fanSeen = false;
    int fanSwitches = 0;
    bool fanWas = false;
    runFor(ecu, clock, 30 * 60'000, 1'000, [&](const EngineTruth& t) {
        if (!fanSeen) {
            EXPECT_GE(t.coolantC, last);
        }
        fanSeen = fanSeen || t.fanOn;
        fanSwitches += t.fanOn != fanWas ? 1 : 0;
        fanWas = t.fanOn;
        last = t.coolantC;
        if (fanSeen) {
            EXPECT_GT(t.coolantC, 85);
            EXPECT_LT(t.coolantC, 100);
        }
    });
    EXPECT_TRUE(fanSeen);
    EXPECT_GE(fanSwitches, 4);
    EXPECT_TRUE(ecu.truth().running);
}

TEST(EngineModel, ColdEngineIdlesFasterThanWarm) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock, scenario(Scenario::coldstart));
    runFor(ecu, clock, 5'000, 50, [](const EngineTruth&) {});
    EXPECT_TRUE(ecu.truth().running);
    EXPECT_GT(ecu.truth().rpm, 1150);
}

TEST(EngineModel, StoppedFuelPumpStallsTheEngineAfterAMoment) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    // Override mask 0x0A bit 3 with output state 0x09 bit 3 clear: pump off.
    exchange(ecu, clock, {0x62, 0x0A, 0x08, 0x09, 0x00, 0x83, 0x0D});
    clock.advance(300);
    ecu.advance();
    EXPECT_TRUE(ecu.truth().running) << "the rail holds pressure for a moment";
    clock.advance(5'000);
    ecu.advance();
    EXPECT_FALSE(ecu.truth().running);
    EXPECT_EQ(ecu.truth().rpm, 0);
}

TEST(EngineModel, CutInjectorLowersIdleAndMakesItRough) {
    auto spread = [](bool cut) {
        platform::FakeClock clock;
        SimulatedEcu ecu(clock);
        if (cut) {
            exchange(ecu, clock, {0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D});
        }
        double low = 1e9;
        double high = 0;
        runFor(ecu, clock, 1'000, 10, [](const EngineTruth&) {});
        runFor(ecu, clock, 5'000, 10, [&](const EngineTruth& t) {
            low = std::min(low, t.rpm);
            high = std::max(high, t.rpm);
        });
        return std::pair(low, high - low);
    };
    const auto [smoothLow, smoothSpread] = spread(false);
    const auto [roughLow, roughSpread] = spread(true);
    EXPECT_LT(roughLow, smoothLow - 20);
    EXPECT_GT(roughSpread, smoothSpread * 3);
}

}  // namespace
}  // namespace ecuprobe::sim
