// The three tests against the simulated car: each scenario starts its manoeuvre by
// itself once the test data set is selected, and the durations measured are held
// against the moments the simulated engine and car truly crossed the two levels.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "case_names.h"
#include "console/measured_form.h"
#include "platform/in_memory_serial_device.h"
#include "process_link.h"
#include "scripted_prompts.h"
#include "session_probe.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::console {
namespace {

using ecuprobe::case_names::PrintTo;

struct ScenarioRun {
    const char* name;
    sim::Scenario scenario;
    sim::Quantity quantity;
    int startLevel;
    int endLevel;
    // How close the interpolation can come: half a raw step (40 rpm, 1 km/h) over the
    // rate, at each of the two crossings; 10 ms for a run-up of 4000 rpm/s.
    double interpolatedWithinMs;
    std::function<std::unique_ptr<MeasuredForm>(ecu::EcuSession&, reports::UserPrompts&)> form;
};

double truthAt(const std::vector<sim::Crossing>& seen, double level, bool rising) {
    for (const sim::Crossing& c : seen) {
        if (c.level == level && c.rising == rising) {
            return c.atMs;
        }
    }
    ADD_FAILURE() << "no crossing of " << level;
    return 0;
}

class MeasuredTestsOnTheSimulator : public ::testing::TestWithParam<ScenarioRun> {
protected:
    void SetUp() override {
        ecuprobe::testing::attachProcessLink(device, clock, ports);
        ecu::chosenPortNumber = 2;
        ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
        ASSERT_EQ(session.connected(), 1);
        stateOf(session).identity.hasSpeedSensor = 1;
    }
    void TearDown() override { ecuprobe::testing::detachProcessLink(); }

    platform::FakeClock clock;
    sim::SimulatedEcu simulator{clock, [] {
                                    sim::SimulatedEcuOptions options;
                                    options.scenario = GetParam().scenario;
                                    return options;
                                }()};
    platform::InMemorySerialDevice device{clock, simulator};
    platform::PortMap ports;
    ecu::EcuSession session;
    ecuprobe::testing::ScriptedPrompts prompts;
};

TEST_P(MeasuredTestsOnTheSimulator, MeasureTheTrueDurationWithinOneSampleAndFinerInterpolated) {
    const ScenarioRun& c = GetParam();
    const bool rising = c.endLevel > c.startLevel;
    // Raw values are truncated to 40 rpm or 1 km/h steps: falling, a raw value is at
    // or below a level while the true value is below the level plus one step.
    const double offset = rising ? 0 : (c.quantity == sim::Quantity::engineSpeed ? 40 : 1);
    simulator.watch(c.quantity, c.startLevel + offset);
    simulator.watch(c.quantity, c.endLevel + offset);
    const std::unique_ptr<MeasuredForm> form = c.form(session, prompts);
    form->save = false;
    measure::TestSampler sampler(session);
    ASSERT_EQ(form->run(sampler).result, measure::SampleResult::Ok);

    const auto seen = simulator.crossings();
    const double truth =
        truthAt(seen, c.endLevel + offset, rising) - truthAt(seen, c.startLevel + offset, rising);
    const measure::TestResult& record = form->record();
    EXPECT_EQ(record.startLimit, c.startLevel);
    const double period = 53;  // 50 ms paced, plus the exchange
    EXPECT_NEAR(record.durationMs, truth, period) << "truth " << truth;
    ASSERT_TRUE(form->crossings().valid());
    EXPECT_NEAR(form->crossings().durationMs(), truth, c.interpolatedWithinMs) << "truth " << truth;
}

template <const RunDescriptor& row>
std::unique_ptr<MeasuredForm> make(ecu::EcuSession& session, reports::UserPrompts& prompts) {
    return std::make_unique<MeasuredForm>(row, session, prompts);
}

std::unique_ptr<MeasuredForm> braking(ecu::EcuSession& session, reports::UserPrompts& prompts) {
    auto form = std::make_unique<MeasuredForm>(accelerationRun, session, prompts);
    form->setLevels(80, 20);
    return form;
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, MeasuredTestsOnTheSimulator,
    ::testing::Values(ScenarioRun{"RunUp", sim::Scenario::runup, sim::Quantity::engineSpeed, 2000,
                                  5500, 10, make<dynamicRun>},
                      ScenarioRun{"CoastDown", sim::Scenario::coastdown, sim::Quantity::engineSpeed,
                                  5000, 2000, 40, make<lossRun>},
                      ScenarioRun{"RoadAcceleration", sim::Scenario::road,
                                  sim::Quantity::vehicleSpeed, 20, 80, 150, make<accelerationRun>},
                      ScenarioRun{"RoadBraking", sim::Scenario::road, sim::Quantity::vehicleSpeed,
                                  80, 20, 50, braking}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::console
