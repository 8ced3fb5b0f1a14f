#include <gtest/gtest.h>

#include <ostream>

#include "case_names.h"
#include "console_ecu.h"
#include "reports/measured_report.h"

namespace ecuprobe::console::testing {
namespace {

TEST_F(PanelTest, OpensIdleWithOnlyPortPeriodAndStartUsable) {
    const PanelSnapshot s = shown();
    EXPECT_EQ(s.enabled, (std::set<ControlId>{control::start, control::comPort, control::period,
                                              control::periodUpDown, control::lambdaProbe}));
    EXPECT_EQ(s.comSelection, -1);
    EXPECT_EQ(s.text(control::period), "2");
    EXPECT_FALSE(s.timerRunning);
    for (const ControlId id :
         {control::injector1, control::injector4, control::coil14, control::coil23,
          control::lambdaRegulator, control::knockRegulator}) {
        EXPECT_TRUE(s.isChecked(id)) << id;
    }
    for (const ControlId id : {control::fuelPump, control::checkEngineLamp, control::airConditioner,
                               control::canisterPurge, control::fan}) {
        EXPECT_FALSE(s.isChecked(id)) << id;
    }
}

TEST_F(PanelTest, ANewPanelForgetsTheChosenPortAndTheBusyFlag) {
    panel.reset();
    ecu::chosenPortNumber = 4;
    ecu::exchangeBusy = 1;
    panel.emplace(timer, prompts);
    EXPECT_EQ(ecu::chosenPortNumber, 0);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

TEST_F(PanelTest, StartWithNoPortChosenOpensCom1AndSelectsIt) {
    panel->onStart();
    EXPECT_EQ(device.openedPath, ports.path(0));
    EXPECT_EQ(ecu::chosenPortNumber, 2);
    const PanelSnapshot s = shown();
    EXPECT_EQ(s.comSelection, 0);
    EXPECT_FALSE(s.isEnabled(control::comPort));
    EXPECT_FALSE(s.isEnabled(control::start));
}

TEST_F(PanelTest, ChoosingCom3SetsPortNumberFourAndStartOpensIt) {
    EXPECT_TRUE(panel->onComSelected(2));
    EXPECT_EQ(ecu::chosenPortNumber, 4);
    EXPECT_EQ(shown().comSelection, 2);
    panel->onStart();
    EXPECT_EQ(device.openedPath, ports.path(2));
    EXPECT_EQ(shown().comSelection, 2);
}

TEST_F(PanelTest, PortChoiceIsRefusedOutOfRangeAndAfterStart) {
    EXPECT_FALSE(panel->onComSelected(4));
    EXPECT_FALSE(panel->onComSelected(-1));
    EXPECT_EQ(ecu::chosenPortNumber, 0);
    panel->onStart();
    EXPECT_FALSE(panel->onComSelected(1));
    EXPECT_EQ(ecu::chosenPortNumber, 2);
}

TEST_F(PanelTest, StartConnectsReadsEverythingAndStartsTheTimer) {
    peer.faultList = {2, 13, 0x20, 131, 0x60};
    reports::currentDumpPath = "chosen at an earlier start.tdm";
    const std::string message = panel->onStart();
    EXPECT_EQ(reports::currentDumpPath, "") << "the first report after a start asks for the file";
    EXPECT_EQ(message, "");
    // connect(): type, standard data set, link check, live data, faults; then the
    // start's own live and fault reads.
    EXPECT_EQ(peer.commands(),
              (std::vector<std::uint8_t>{0x01, 0x64, 0x63, 0x61, 0x02, 0x61, 0x02}));
    const PanelSnapshot s = shown();
    EXPECT_EQ(s.text(control::statusText), "ЭБУ Микас 5.4. ");
    EXPECT_EQ(s.text(control::faultCount), "2");
    EXPECT_EQ(s.text(control::faultText), " 013:20, 131:60,");
    EXPECT_TRUE(s.isEnabled(control::clearFaults));
    EXPECT_TRUE(s.isEnabled(control::injector4));
    EXPECT_FALSE(s.isEnabled(control::releaseControls));
    EXPECT_FALSE(s.isEnabled(control::command));
    EXPECT_TRUE(panel->isStarted());
    EXPECT_TRUE(panel->controlsAreEnabled());
    EXPECT_TRUE(timer.isRunning());
    EXPECT_EQ(timer.id(), 1u);
    EXPECT_EQ(timer.periodMs(), 2000u);
    EXPECT_EQ(panel->pollTimerHandle(), 1u);
}

TEST_F(PanelTest, APortThatCannotBeOpenedLeavesThePortChoiceOpenForAnother) {
    device.missingPaths = {ports.path(0)};
    panel->onStart();
    EXPECT_FALSE(timer.fire()) << "nothing to poll";
    PanelSnapshot s = shown();
    EXPECT_FALSE(s.timerRunning);
    EXPECT_FALSE(panel->isStarted());
    EXPECT_TRUE(s.isEnabled(control::comPort));
    EXPECT_TRUE(s.isEnabled(control::start));
    EXPECT_FALSE(s.isEnabled(control::clearFaults));
    EXPECT_EQ(s.link.state, LinkState::portNotOpened);
    EXPECT_EQ(s.link.text, "Порт не открыт: " + ports.path(0) + " (нет такого порта)");
    EXPECT_TRUE(peer.frames.empty());

    ASSERT_TRUE(panel->onComSelected(1));
    panel->onStart();
    s = shown();
    EXPECT_EQ(device.openedPath, ports.path(1));
    EXPECT_TRUE(panel->controlsAreEnabled());
    EXPECT_TRUE(s.timerRunning);
    EXPECT_FALSE(s.isEnabled(control::comPort));
    EXPECT_FALSE(s.isEnabled(control::start));
    EXPECT_EQ(s.link.state, LinkState::connected);
}

struct PeriodStep {
    std::int32_t upDown;
    const char* shownPeriod;
    std::uint32_t periodMs;
    friend void PrintTo(const PeriodStep& c, std::ostream* out) { *out << "up-down " << c.upDown; }
};

class PeriodChange : public PanelTest, public ::testing::WithParamInterface<PeriodStep> {};

TEST_P(PeriodChange, RestartsTheRunningTimerWithTheEffectivePeriod) {
    startConnected();
    const int starts = timer.startCount;
    const int stops = timer.stopCount;
    panel->onPeriodChanged(GetParam().upDown);
    const PanelSnapshot s = shown();
    EXPECT_EQ(s.text(control::period), GetParam().shownPeriod);
    EXPECT_EQ(s.periodUpDown, std::stoi(GetParam().shownPeriod));
    EXPECT_EQ(s.periodMs, GetParam().periodMs);
    EXPECT_EQ(timer.periodMs(), GetParam().periodMs);
    EXPECT_EQ(timer.startCount, starts + 1);
    EXPECT_EQ(timer.stopCount, stops + 1);
    EXPECT_TRUE(timer.isRunning());
}

INSTANTIATE_TEST_SUITE_P(UpDownPositions, PeriodChange,
                         ::testing::Values(PeriodStep{0, "0", 600}, PeriodStep{1, "1", 1000},
                                           PeriodStep{2, "2", 2000}, PeriodStep{3, "2", 2000},
                                           PeriodStep{4, "2", 2000}, PeriodStep{-1, "0", 600}));

TEST_F(PanelTest, PeriodChosenBeforeStartSetsTheFirstTimerPeriod) {
    panel->onPeriodChanged(0);
    EXPECT_EQ(timer.startCount, 0);
    panel->onStart();
    EXPECT_EQ(timer.periodMs(), 600u);
    EXPECT_EQ(panel->pollPeriodMs(), 600u);
}

struct BadEntry {
    const char* text;
    const char* message;
    friend void PrintTo(const BadEntry& c, std::ostream* out) {
        case_names::printText(c.text, out);
    }
};

class InvalidPeriodEntry : public PanelTest, public ::testing::WithParamInterface<BadEntry> {};

TEST_P(InvalidPeriodEntry, GivesTheValidationMessageAndKeepsThePeriod) {
    startConnected();
    panel->onPeriodChanged(1);
    const int starts = timer.startCount;
    EXPECT_EQ(panel->enterPeriod(GetParam().text), GetParam().message);
    EXPECT_EQ(panel->panelFields().period, 1);
    EXPECT_EQ(shown().text(control::period), "1");
    EXPECT_EQ(timer.periodMs(), 1000u);
    EXPECT_EQ(timer.startCount, starts);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, InvalidPeriodEntry,
    ::testing::Values(BadEntry{"abc", "Please enter an integer."},
                      BadEntry{"", "Please enter an integer."},
                      BadEntry{"7", "Please enter an integer between 0 and 4."},
                      BadEntry{"-2", "Please enter an integer between 0 and 4."}));

TEST_F(PanelTest, TypedPeriodFollowsTheUpDownRules) {
    startConnected();
    EXPECT_EQ(panel->enterPeriod("0"), "");
    EXPECT_EQ(timer.periodMs(), 600u);
    EXPECT_EQ(panel->enterPeriod("4"), "");
    EXPECT_EQ(shown().text(control::period), "2");
    EXPECT_EQ(timer.periodMs(), 2000u);
}

struct ShownValue {
    ControlId control;
    std::uint8_t variable;
    std::uint16_t raw;
    const char* text;
    friend void PrintTo(const ShownValue& c, std::ostream* out) {
        *out << caption(c.control) << " raw " << c.raw;
    }
};

class LiveValueDisplay : public PanelTest, public ::testing::WithParamInterface<ShownValue> {};

TEST_P(LiveValueDisplay, ShowsTheDecodedValueAsTheConsoleDoes) {
    peer.variables[GetParam().variable] = GetParam().raw;
    startConnected();
    EXPECT_EQ(shown().text(GetParam().control), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, LiveValueDisplay,
                         ::testing::Values(ShownValue{control::UOZ, 0x26, 0xF6, "-5"},
                                           ShownValue{control::TAIR, 0x1C, 30, "-10"},
                                           ShownValue{control::TWAT, 0x1A, 0, "-40"},
                                           ShownValue{control::TWAT, 0x1A, 0x50, "40"},
                                           ShownValue{control::INJ, 0x3F, 0x0271, "5"},
                                           ShownValue{control::RCOK, 0x42, 0x60, "-0.375"},
                                           ShownValue{control::UOZOC, 0x28, 0xF6, "-5"},
                                           ShownValue{control::NUACC, 0x1E, 123, "12.3"},
                                           ShownValue{control::FREQ, 0x29, 20, "800"},
                                           ShownValue{control::FAZ, 0x18, 43, "2"},
                                           ShownValue{control::BDET, 0x0F, 0xA5, "165"},
                                           ShownValue{control::VALF, 0x39, 0x60, "0.875"},
                                           ShownValue{control::COEFF1, 0x45, 128, "1"},
                                           ShownValue{control::LAM2, 0x4E, 200, "200"}));

TEST_F(PanelTest, StateFlagsShowAsCheckMarks) {
    peer.variables[0x07] = 0x45;  // BITSTP, RXX, WRKLAM
    peer.variables[0x08] = 0x50;  // INPLAM1, DET
    startConnected();
    const PanelSnapshot s = shown();
    EXPECT_TRUE(s.isChecked(control::BITSTP));
    EXPECT_TRUE(s.isChecked(control::RXX));
    EXPECT_TRUE(s.isChecked(control::WRKLAM));
    EXPECT_TRUE(s.isChecked(control::INPLAM1));
    EXPECT_TRUE(s.isChecked(control::DET));
    EXPECT_FALSE(s.isChecked(control::BITPOW));
    EXPECT_FALSE(s.isChecked(control::BLKINJ));
    for (const ControlId id : stateFlagControls()) {
        EXPECT_FALSE(s.isEnabled(id)) << id;
    }
}

TEST_F(PanelTest, ANegativeFaultCountShowsTheByteAsReceivedWithAnEmptyLine) {
    peer.faultList = {0x85};
    startConnected();
    EXPECT_EQ(shown().text(control::faultCount), "133");
    EXPECT_EQ(shown().text(control::faultText), "");
}

TEST_F(PanelTest, ClosingBeforeStartNeitherStopsATimerNorDisconnects) {
    panel->onDestroy();
    EXPECT_EQ(timer.stopCount, 0);
    EXPECT_EQ(device.openCount, 0);
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_FALSE(panel->isStarted());
}

TEST_F(PanelTest, ClosingAfterStartStopsTheTimerReleasesTheControlsAndClosesThePort) {
    startConnected();
    panel->onDestroy();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.stopCount, 1);
    EXPECT_EQ(panel->pollTimerHandle(), 0u);
    EXPECT_FALSE(panel->isStarted());
    EXPECT_EQ(peer.frames, wire::releaseAll);
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(link.isOpen());
}

TEST_F(PanelTest, DroppingAStartedPanelWithoutClosingItStillClosesThePort) {
    startConnected();
    panel.reset();
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(peer.frames, wire::releaseAll);
    EXPECT_FALSE(device.isOpen());
}

}  // namespace
}  // namespace ecuprobe::console::testing
