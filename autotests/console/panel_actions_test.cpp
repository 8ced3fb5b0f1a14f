#include <gtest/gtest.h>

#include <ostream>

#include "case_names.h"
#include "console_ecu.h"

namespace ecuprobe::console::testing {
namespace {

enum class Answer { acknowledged, refused, silent };

struct SwitchCase {
    ControlId control;
    bool markBefore;
    Answer answer;
    friend void PrintTo(const SwitchCase& c, std::ostream* out) {
        static constexpr const char* answers[] = {"acknowledged", "refused", "silent"};
        *out << c.control << ' ' << caption(c.control) << ' '
             << answers[static_cast<std::size_t>(c.answer)];
    }
};

class SwitchClick : public PanelTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchClick, CheckMarkFollowsTheReturnedStateAndReleaseWhatMayBeHeld) {
    startConnected();
    const SwitchCase c = GetParam();
    ASSERT_EQ(shown().isChecked(c.control), c.markBefore);
    peer.writeAnswer = c.answer == Answer::refused ? 0x01 : 0x00;
    if (c.answer == Answer::silent) {
        peer.ignored = {0x62};
    }
    EXPECT_EQ(panel->onClick(c.control).outcome, ClickOutcome::done);
    const bool switched = c.answer == Answer::acknowledged;
    EXPECT_EQ(shown().isChecked(c.control), switched ? !c.markBefore : c.markBefore);
    // A regulator's first click writes its register back to 0: nothing to hand back.
    const bool regulator =
        c.control == control::lambdaRegulator || c.control == control::knockRegulator;
    const bool mayBeHeld = c.answer != Answer::refused && !regulator;
    EXPECT_EQ(shown().isEnabled(control::releaseControls), mayBeHeld);
    EXPECT_EQ(peer.count(0x62), 1u);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

std::vector<SwitchCase> switchCases() {
    const std::pair<ControlId, bool> boxes[] = {
        {control::injector1, true},       {control::injector4, true},
        {control::coil14, true},          {control::coil23, true},
        {control::fuelPump, true},        {control::checkEngineLamp, false},
        {control::airConditioner, false}, {control::fan, false},
        {control::lambdaRegulator, true}, {control::knockRegulator, true},
    };
    std::vector<SwitchCase> cases;
    for (const auto& [id, mark] : boxes) {
        for (const Answer a : {Answer::acknowledged, Answer::refused, Answer::silent}) {
            cases.push_back({id, mark, a});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Boxes, SwitchClick, ::testing::ValuesIn(switchCases()));

TEST_F(PanelTest, InjectorOneCutsOffAndComesBack) {
    startConnected();
    panel->onClick(control::injector1);
    EXPECT_EQ(peer.frames.back(), (Bytes{0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D}));
    EXPECT_FALSE(shown().isChecked(control::injector1));
    panel->onClick(control::injector1);
    EXPECT_EQ(peer.frames.back(), (Bytes{0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D}));
    EXPECT_TRUE(shown().isChecked(control::injector1));
}

TEST_F(PanelTest, CanisterPurgeChangesItsMarkEvenWhenTheWriteIsRefused) {
    startConnected();
    peer.writeAnswer = 0x01;
    panel->onClick(control::canisterPurge);
    // JADS 100 with the override bit, then the read-back of JADS.
    EXPECT_EQ(peer.frames.front(), (Bytes{0x62, 0x0C, 0x04, 0x5E, 0x64, 0xCC, 0x0D}));
    EXPECT_EQ(peer.commands(), (std::vector<std::uint8_t>{0x62, 0x61}));
    EXPECT_TRUE(shown().isChecked(control::canisterPurge));
    EXPECT_FALSE(shown().isEnabled(control::releaseControls));
}

TEST_F(PanelTest, ReleaseResetsTheMarksAndDisablesItself) {
    startConnected();
    panel->onClick(control::injector2);
    panel->onClick(control::coil14);
    panel->onClick(control::fan);
    panel->onClick(control::checkEngineLamp);
    peer.frames.clear();
    EXPECT_EQ(panel->onClick(control::releaseControls).outcome, ClickOutcome::done);
    EXPECT_EQ(peer.frames, wire::releaseAll);
    const PanelSnapshot s = shown();
    for (const ControlId id :
         {control::injector1, control::injector2, control::injector3, control::injector4,
          control::coil14, control::coil23, control::fuelPump}) {
        EXPECT_TRUE(s.isChecked(id)) << id;
    }
    for (const ControlId id : {control::checkEngineLamp, control::airConditioner,
                               control::canisterPurge, control::fan}) {
        EXPECT_FALSE(s.isChecked(id)) << id;
    }
    EXPECT_FALSE(s.isEnabled(control::releaseControls));
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

TEST_F(PanelTest, AfterReleaseTheNextInjectorClickCutsItAgain) {
    startConnected();
    panel->onClick(control::injector2);
    panel->onClick(control::releaseControls);
    peer.frames.clear();
    panel->onClick(control::injector2);
    EXPECT_EQ(peer.frames, (std::vector<Bytes>{{0x62, 0x40, 0xCD, 0x02, 0x8F, 0x0D}}));
    EXPECT_FALSE(shown().isChecked(control::injector2));
}

TEST_F(PanelTest, ClearFaultsEmptiesTheFaultLineUntilTheNextRead) {
    peer.faultList = {2, 13, 0x20, 131, 0x60};
    startConnected();
    EXPECT_EQ(panel->onClick(control::clearFaults).outcome, ClickOutcome::done);
    EXPECT_EQ(peer.frames,
              (std::vector<Bytes>{{0x62, 0x0E, 0x08, 0x88, 0x0D}, {0x62, 0x0E, 0x00, 0x90, 0x0D}}));
    EXPECT_EQ(shown().text(control::faultCount), "0");
    EXPECT_EQ(shown().text(control::faultText), "");
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

TEST_F(PanelTest, DecodeGivesTheDecodedListAndSendsNothing) {
    peer.faultList = {2, 13, 0x20, 131, 0x60};
    startConnected();
    const ClickResult result = panel->onClick(control::decodeFaults);
    EXPECT_EQ(result.outcome, ClickOutcome::done);
    EXPECT_EQ(result.text,
              "\r\n 013:20: низкий уровень сигнала датчика расхода воздуха = многократн.."
              "\r\n 131:60: неисправность форсунки 1 (короткое замыкание) = многократн. = "
              "однократн..");
    EXPECT_TRUE(peer.frames.empty());
}

TEST_F(PanelTest, ClicksOnDisabledControlsDoNothing) {
    for (const ControlId id : {control::injector1, control::fan, control::clearFaults,
                               control::releaseControls, control::command, control::BITSTP}) {
        EXPECT_EQ(panel->onClick(id).outcome, ClickOutcome::ignored) << id;
    }
    startConnected();
    EXPECT_EQ(panel->onClick(control::start).outcome, ClickOutcome::ignored);
    EXPECT_EQ(panel->onClick(control::command).outcome, ClickOutcome::ignored);
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_EQ(device.openCount, 1);
}

TEST_F(PanelTest, StartThroughItsButtonReportsThePeriodMessage) {
    const ClickResult result = panel->onClick(control::start);
    EXPECT_EQ(result.outcome, ClickOutcome::done);
    EXPECT_EQ(result.text, "");
    EXPECT_TRUE(panel->isStarted());
}

struct TestButton {
    ControlId id;
    DialogKind dialog;
    friend void PrintTo(const TestButton& c, std::ostream* out) { *out << caption(c.id); }
};

class TestButtons : public PanelTest, public ::testing::WithParamInterface<TestButton> {};

// A test button only opens its dialog; the form it gets runs on its own start.
TEST_P(TestButtons, OpenTheirFormAndSendNothing) {
    startConnected();
    const ClickResult result = panel->onClick(GetParam().id);
    EXPECT_EQ(result.outcome, ClickOutcome::done);
    EXPECT_EQ(result.dialog, GetParam().dialog);
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_NE(panel->testForm(GetParam().dialog), nullptr);
    EXPECT_EQ(panel->testForm(DialogKind::identification), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, TestButtons,
    ::testing::Values(TestButton{control::dynamicTest, DialogKind::dynamicTest},
                      TestButton{control::accelerationTest, DialogKind::accelerationTest},
                      TestButton{control::lossTest, DialogKind::lossTest}));

}  // namespace
}  // namespace ecuprobe::console::testing
