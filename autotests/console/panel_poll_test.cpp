#include <gtest/gtest.h>

#include "console_ecu.h"

namespace ecuprobe::console::testing {
namespace {

using Commands = std::vector<std::uint8_t>;

TEST_F(PanelTest, EveryTickReadsLiveDataAndEveryThirdFromTheFourthAlsoFaults) {
    startConnected();
    std::vector<int> faultTicks;
    for (int n = 1; n <= 10; ++n) {
        peer.frames.clear();
        tick();
        EXPECT_EQ(peer.count(0x63), 1u) << n;
        EXPECT_EQ(peer.count(0x61), 1u) << n;
        if (peer.count(0x02) != 0) {
            faultTicks.push_back(n);
        }
    }
    EXPECT_EQ(faultTicks, (std::vector<int>{4, 7, 10}));
}

TEST_F(PanelTest, OutputBoxesFollowTheSessionOnlyOnTheSlowRefreshTicks) {
    startConnected();
    tick();
    stateOf(session()).injectorOn[2] = 0;
    tick();
    tick();
    EXPECT_TRUE(shown().isChecked(control::injector2));
    tick();
    EXPECT_FALSE(shown().isChecked(control::injector2));
}

TEST_F(PanelTest, NewFaultsShowOnTheFourthTick) {
    startConnected();
    peer.faultList = {1, 55, 0x40};
    for (int n = 1; n <= 3; ++n) {
        tick();
        EXPECT_EQ(shown().text(control::faultCount), "0") << n;
    }
    tick();
    EXPECT_EQ(shown().text(control::faultCount), "1");
    EXPECT_EQ(shown().text(control::faultText), " 055:40,");
}

TEST_F(PanelTest, AnEcuFallingSilentIsPolledForItsTypeAndWelcomedBackOnTheSameTick) {
    startConnected();
    peer.silent = true;
    tick();
    EXPECT_EQ(peer.frames, std::vector<Bytes>{wire::checkLink});
    PanelSnapshot s = shown();
    EXPECT_FALSE(s.isEnabled(control::clearFaults));
    EXPECT_FALSE(s.isEnabled(control::injector1));
    EXPECT_FALSE(panel->controlsAreEnabled());
    EXPECT_EQ(s.text(control::statusText), "*** Нет связи");

    for (int n = 0; n < 2; ++n) {
        peer.frames.clear();
        tick();
        EXPECT_EQ(peer.frames,
                  (std::vector<Bytes>{wire::identify, wire::selectStandardSet, wire::checkLink}));
        EXPECT_EQ(shown().text(control::statusText), "*** Нет связи");
        EXPECT_FALSE(shown().isEnabled(control::clearFaults));
    }

    peer.silent = false;
    peer.faultList = {1, 13, 0x20};
    stateOf(session()).injectorOn[3] = 0;
    peer.frames.clear();
    tick();
    EXPECT_EQ(peer.commands(), (Commands{0x01, 0x64, 0x63, 0x61, 0x02}));
    s = shown();
    EXPECT_TRUE(s.isEnabled(control::clearFaults));
    EXPECT_TRUE(s.isEnabled(control::injector1));
    EXPECT_EQ(s.text(control::faultCount), "1");
    EXPECT_FALSE(s.isChecked(control::injector3));
}

TEST_F(PanelTest, ALiveRequestWithoutAnswerShowsNoLinkAndDisablesTheButtonsOnThatTick) {
    startConnected();
    peer.ignored = {0x61};
    tick();
    EXPECT_EQ(peer.commands(), (Commands{0x63, 0x61}));
    const PanelSnapshot s = shown();
    EXPECT_EQ(s.text(control::statusText), "*** Нет связи");
    EXPECT_FALSE(s.isEnabled(control::clearFaults));
    EXPECT_FALSE(s.isEnabled(control::fan));
    EXPECT_FALSE(panel->controlsAreEnabled());
}

TEST_F(PanelTest, ATickWhileAServiceHoldsTheLineSendsOnlyTheLinkCheckAndShowsNothing) {
    startConnected();
    const PanelSnapshot before = shown();
    peer.variables[0x1A] = 0x90;
    peer.faultList = {1, 13, 0x20};
    ecu::exchangeBusy = 1;
    for (int n = 0; n < 4; ++n) {
        peer.frames.clear();
        tick();
        EXPECT_EQ(peer.frames, std::vector<Bytes>{wire::checkLink});
    }
    EXPECT_EQ(shown(), before);
}

TEST_F(PanelTest, ATickWhileAServiceHoldsTheLineAndTheEcuIsLostAsksOnlyForItsType) {
    startConnected();
    peer.silent = true;
    tick();
    const PanelSnapshot before = shown();
    ecu::exchangeBusy = 1;
    peer.frames.clear();
    tick();
    EXPECT_EQ(peer.frames,
              (std::vector<Bytes>{wire::identify, wire::selectStandardSet, wire::checkLink}));
    EXPECT_EQ(shown(), before);
}

TEST_F(PanelTest, ATickDuringAMeasuredTestSendsNothingAtAll) {
    startConnected();
    const PanelSnapshot before = shown();
    stateOf(session()).samplingActive = 1;
    ecu::exchangeBusy = 1;
    tick();
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_EQ(shown(), before);
}

TEST_F(PanelTest, LambdaProbeOptionDecidesOnInjectorsTwoToFour) {
    startConnected();
    const std::vector<ControlId> laterInjectors{control::injector2, control::injector3,
                                                control::injector4};
    EXPECT_EQ(panel->onClick(control::lambdaProbe).outcome, ClickOutcome::done);
    EXPECT_EQ(session().lambdaProbe(), 0);
    PanelSnapshot s = shown();
    EXPECT_FALSE(s.isChecked(control::lambdaProbe));
    EXPECT_TRUE(s.isEnabled(control::injector1));
    for (const ControlId id : laterInjectors) {
        EXPECT_FALSE(s.isEnabled(id)) << id;
    }
    tick();
    EXPECT_FALSE(shown().isEnabled(control::injector2));

    peer.frames.clear();
    panel->onClick(control::lambdaProbe);
    s = shown();
    EXPECT_EQ(session().lambdaProbe(), 1);
    for (const ControlId id : laterInjectors) {
        EXPECT_TRUE(s.isEnabled(id)) << id;
    }
    EXPECT_TRUE(peer.frames.empty());
}

TEST_F(PanelTest, LambdaProbeOptionEnablesNothingWhileTheEcuIsLost) {
    startConnected();
    peer.silent = true;
    tick();
    panel->onClick(control::lambdaProbe);
    panel->onClick(control::lambdaProbe);
    EXPECT_FALSE(shown().isEnabled(control::injector1));
    EXPECT_FALSE(shown().isEnabled(control::injector2));
}

TEST_F(PanelTest, AResetSessionBringsTheLambdaProbeOptionBackOnTheNextGoodRead) {
    startConnected();
    panel->onClick(control::lambdaProbe);
    peer.ignored = {0x61};
    tick();
    peer.ignored.clear();
    tick();
    EXPECT_TRUE(shown().isChecked(control::lambdaProbe));
    EXPECT_TRUE(shown().isEnabled(control::injector3));
}

}  // namespace
}  // namespace ecuprobe::console::testing
