#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "console/tester_panel.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "process_link.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::console {
namespace {

// The console against the simulated ECU, polled the way the command-line tester
// polls it: a ManualTimer on the line's virtual clock.
class PanelOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ecuprobe::testing::attachProcessLink(device, clock, ports);
        panel.emplace(timer);
    }

    void TearDown() override {
        panel.reset();
        ecuprobe::testing::detachProcessLink();
    }

    // Runs the poll loop for ms of virtual time; returns the ticks fired.
    int runFor(std::uint32_t ms) {
        const std::uint32_t end = clock.tickMs() + ms;
        int ticks = 0;
        while (clock.tickMs() < end) {
            clock.advance(std::max<std::uint32_t>(timer.msUntilDue(), 1));
            ticks += timer.fireIfDue() ? 1 : 0;
        }
        return ticks;
    }

    double shownNumber(ControlId id) const { return std::stod(panel->snapshot().text(id)); }

    platform::FakeClock clock;
    sim::SimulatedEcu simulator{clock};
    platform::InMemorySerialDevice device{clock, simulator};
    platform::PortMap ports;
    ManualTimer timer{clock};
    std::optional<TesterPanel> panel;
};

TEST_F(PanelOnSimulator, IdlingEngineShowsItsValuesOnEveryPeriod) {
    panel->onStart();
    EXPECT_EQ(runFor(10000), 5);
    const PanelSnapshot s = panel->snapshot();
    const sim::EngineTruth truth = simulator.truth();
    EXPECT_EQ(s.text(control::statusText), "ЭБУ Микас 5.4. ");
    EXPECT_TRUE(s.isEnabled(control::clearFaults));
    // One live read is the newest display: the engine hunts a little at idle.
    EXPECT_NEAR(shownNumber(control::FREQ), truth.rpm, 120);
    EXPECT_NEAR(shownNumber(control::TWAT), truth.coolantC, 2);
    EXPECT_NEAR(shownNumber(control::NUACC), truth.supplyV, 0.3);
}

TEST_F(PanelOnSimulator, StoredFaultsAppearAndClearThroughTheConsole) {
    simulator.setStoredFaults({{13, 0x20}, {131, 0x60}});
    panel->onStart();
    EXPECT_EQ(panel->snapshot().text(control::faultText), " 013:20, 131:60,");
    panel->onClick(control::clearFaults);
    EXPECT_EQ(simulator.controls().faultClears, 1);
    runFor(8000);
    EXPECT_EQ(panel->snapshot().text(control::faultText), "*** Нет Ошибок ***");
}

TEST_F(PanelOnSimulator, ALostEcuDisablesTheButtonsAndItsReturnEnablesThem) {
    panel->onStart();
    runFor(2000);
    simulator.setSilent(true);
    runFor(4000);
    EXPECT_FALSE(panel->snapshot().isEnabled(control::injector1));
    simulator.setSilent(false);
    runFor(2000);
    EXPECT_TRUE(panel->snapshot().isEnabled(control::injector1));
}

TEST_F(PanelOnSimulator, InjectorCutAndReleaseReachTheEcu) {
    panel->onStart();
    panel->onClick(control::injector3);
    EXPECT_EQ(simulator.controls().injectorCut, 0x04);
    EXPECT_FALSE(panel->snapshot().isChecked(control::injector3));
    panel->onClick(control::releaseControls);
    EXPECT_EQ(simulator.controls().injectorCut, 0x00);
    EXPECT_TRUE(panel->snapshot().isChecked(control::injector3));
}

// Purge off goes out as 62 5E 00 with the checksum 0x40: the ECU must read it, and
// the console must show what the ECU then does.
TEST_F(PanelOnSimulator, PurgeAndCoilSwitchedOnAndOffAreEachAnsweredAndShownAsTheEcuHasThem) {
    panel->onStart();
    const struct {
        ControlId id;
        bool checked;
    } clicks[] = {{control::canisterPurge, true},
                  {control::canisterPurge, false},
                  {control::coil23, false},
                  {control::coil23, true}};
    for (const auto& click : clicks) {
        panel->onClick(click.id);
        EXPECT_EQ(panel->ecuSession().lastWriteReply(), ecu::WriteReply::acknowledged) << click.id;
        EXPECT_EQ(panel->snapshot().isChecked(click.id), click.checked) << click.id;
    }
    for (const sim::LoggedRequest& request : simulator.requestLog()) {
        EXPECT_TRUE(request.answered) << static_cast<int>(request.payload[0]);
    }
    EXPECT_EQ(simulator.controls().purgeDegree, 0);
    runFor(4000);
    EXPECT_TRUE(simulator.truth().coil23On);
    EXPECT_TRUE(panel->snapshot().isChecked(control::coil23));
    EXPECT_FALSE(panel->snapshot().isChecked(control::canisterPurge));
}

}  // namespace
}  // namespace ecuprobe::console
