// The scenarios as a measured test sees them: the test data set is polled every
// 70 ms of virtual time, and the duration measured between two levels agrees with
// the true crossings the scenario recorded.
#include <gtest/gtest.h>

#include <optional>

#include "case_names.h"
#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using ecuprobe::case_names::PrintTo;

using testing::ask;
using testing::Bytes;

constexpr std::uint32_t pollMs = 70;

struct ScenarioCase {
    const char* name;
    Scenario scenario;
    Quantity quantity;
    double startLevel;
    double endLevel;
    bool rising;
};

double watched(const Bytes& sample, Quantity q) {
    return q == Quantity::engineSpeed ? sample[1] * 40.0 : sample[6];
}

double truthAt(const std::vector<Crossing>& seen, double level, bool rising) {
    for (const Crossing& c : seen) {
        if (c.level == level && c.rising == rising) {
            return c.atMs;
        }
    }
    ADD_FAILURE() << "no crossing of " << level;
    return 0;
}

class Scenarios : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(Scenarios, MeasuredDurationMatchesTheTrueCrossings) {
    const ScenarioCase& c = GetParam();
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.scenario = c.scenario;
    SimulatedEcu ecu(clock, options);
    // The raw values are truncated (40 rpm, 1 km/h steps): a raw value is at or
    // below a level while the true value is below the level plus one step.
    const double step = c.quantity == Quantity::engineSpeed ? 40 : 1;
    const double offset = c.rising ? 0 : step;
    ecu.watch(c.quantity, c.startLevel + offset);
    ecu.watch(c.quantity, c.endLevel + offset);
    ASSERT_TRUE(ask(ecu, clock, {0x64, 0x1A, 0x29, 0x21, 0x40, 0x60}).has_value());
    std::optional<std::uint32_t> startMs;
    std::optional<std::uint32_t> endMs;
    bool armed = !c.rising;  // a falling run first waits for the value to pass the start
    for (int i = 0; i < 1000 && !endMs; ++i) {
        clock.advance(pollMs);
        const Bytes sample = ask(ecu, clock, {0x63}).value();
        const double v = watched(sample, c.quantity);
        if (armed && !c.rising && v > c.startLevel) {
            armed = false;
        }
        const bool reachedStart = c.rising ? v >= c.startLevel : !armed && v <= c.startLevel;
        if (!startMs && reachedStart) {
            startMs = clock.tickMs();
        }
        const bool reachedEnd = c.rising ? v >= c.endLevel : v <= c.endLevel;
        if (startMs && reachedEnd) {
            endMs = clock.tickMs();
        }
    }
    ASSERT_TRUE(startMs && endMs);
    const auto seen = ecu.crossings();
    const double truth = truthAt(seen, c.endLevel + offset, c.rising) -
                         truthAt(seen, c.startLevel + offset, c.rising);
    EXPECT_GT(truth, 2.0 * pollMs) << "long enough to be measured";
    EXPECT_NEAR(static_cast<double>(*endMs - *startMs), truth, pollMs);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Scenarios,
    ::testing::Values(
        ScenarioCase{"RunUp", Scenario::runup, Quantity::engineSpeed, 2000, 5500, true},
        ScenarioCase{"CoastDown", Scenario::coastdown, Quantity::engineSpeed, 5000, 2000, false},
        ScenarioCase{"RoadAcceleration", Scenario::road, Quantity::vehicleSpeed, 20, 80, true},
        ScenarioCase{"RoadBraking", Scenario::road, Quantity::vehicleSpeed, 80, 20, false}),
    [](const auto& param) { return param.param.name; });

TEST(Scenarios, RunUpWaitsForTheTestDataSet) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.scenario = Scenario::runup;
    SimulatedEcu ecu(clock, options);
    clock.advance(5'000);
    ecu.advance();
    EXPECT_LT(ecu.truth().rpm, 1000);
    ask(ecu, clock, {0x64, 0x1A, 0x29, 0x21, 0x40, 0x60});
    clock.advance(2'000);
    ecu.advance();
    EXPECT_GT(ecu.truth().rpm, 4000);
}

TEST(Scenarios, StalledEngineStandsStillAndSaysSo) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.scenario = Scenario::stalled;
    SimulatedEcu ecu(clock, options);
    clock.advance(3'000);
    const Bytes r = ask(ecu, clock, {0x61, 0x29, 0x07}).value();
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1] & 0x01, 0x01);
    EXPECT_NEAR(ecu.truth().supplyV, 12.4, 0.3);
}

}  // namespace
}  // namespace ecuprobe::sim
