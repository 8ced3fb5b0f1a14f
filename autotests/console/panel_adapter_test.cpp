#include <gtest/gtest.h>

#include "console_ecu.h"
#include "ecu/owed_store.h"

namespace ecuprobe::console::testing {
namespace {

using Commands = std::vector<std::uint8_t>;

// The adapter pulled out of a running console and plugged in again.
class PanelAdapter : public PanelTest {
protected:
    // Pulls the adapter; the next tick's link check finds it gone.
    void pull() {
        peer.plugged = false;
        tick();
    }
};

TEST_F(PanelAdapter, APulledAdapterIsLetGoAndLookedForWithoutTrafficUntilItIsBack) {
    startConnected();
    tick();
    pull();
    EXPECT_FALSE(shown().isEnabled(control::clearFaults));
    tick();
    EXPECT_FALSE(link.isOpen()) << "let go, so that the replugged adapter gets its node back";
    EXPECT_EQ(shown().link.text, "Адаптер отключён: " + ports.path(0));

    const std::uint8_t errors = link.errorCount();
    const int opens = device.openCount;
    const std::uint64_t slept = clock.totalSleptMs();
    for (int n = 0; n < 5; ++n) {
        tick();
    }
    EXPECT_EQ(link.errorCount(), errors) << "nothing counted or traced while it is gone";
    EXPECT_EQ(device.openCount, opens) << "no open while its node is missing";
    EXPECT_EQ(clock.totalSleptMs(), slept) << "no pause, no time-out";
    EXPECT_FALSE(shown().isEnabled(control::injector1));
    EXPECT_EQ(shown().text(control::statusText), "*** Нет связи");

    peer.plugged = true;
    peer.frames.clear();
    tick();
    EXPECT_EQ(device.openCount, opens + 1);
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(peer.frames.empty()) << "the ECU is asked for on the next tick";
    EXPECT_TRUE(shown().isEnabled(control::comPort)) << "open until the ECU answers";
    EXPECT_EQ(shown().link.state, LinkState::ecuSilent);
    tick();
    EXPECT_EQ(peer.commands(), (Commands{0x01, 0x64, 0x63, 0x61, 0x02}));
    EXPECT_FALSE(shown().isEnabled(control::comPort)) << "back on its own port";
    EXPECT_TRUE(shown().isEnabled(control::clearFaults));
    EXPECT_EQ(shown().link.text, "ЭБУ Микас 5.4 на связи");
}

TEST_F(PanelAdapter, WhileAServiceHoldsTheLineThePortIsLeftToIt) {
    startConnected();
    pull();
    ecu::exchangeBusy = 1;
    tick();
    EXPECT_TRUE(link.isOpen()) << "the service's own exchanges end it as a lost link";
    ecu::exchangeBusy = 0;
    tick();
    EXPECT_FALSE(link.isOpen());
}

class LineDown : public PanelAdapter, public ::testing::WithParamInterface<bool> {};

// The advice for a silent line (another port, «Адаптер без эха») can be followed
// at once, whether the adapter went or the ECU stopped answering; an ECU that
// does not answer is handed nothing back on the way.
TEST_P(LineDown, AnotherPortCanBeChosenAndStarted) {
    const bool adapterPulled = GetParam();
    startConnected();
    peer.silent = !adapterPulled;
    adapterPulled ? pull() : tick();
    tick();
    EXPECT_TRUE(shown().isEnabled(control::comPort));
    EXPECT_TRUE(shown().isEnabled(control::start));
    ASSERT_TRUE(panel->onComSelected(2));
    peer.plugged = true;
    peer.silent = false;
    peer.frames.clear();
    panel->onStart();
    EXPECT_EQ(peer.frames.front(), (Bytes{0x01, 0xFF, 0x0D}));
    EXPECT_EQ(device.openedPath, ports.path(2));
    EXPECT_EQ(shown().link.state, LinkState::connected);
    EXPECT_FALSE(shown().isEnabled(control::comPort));
    EXPECT_EQ(timer.isRunning(), true);
    tick();
    EXPECT_TRUE(panel->controlsAreEnabled());
}

INSTANTIATE_TEST_SUITE_P(PanelAdapter, LineDown, ::testing::Values(true, false),
                         [](const auto& testCase) {
                             return std::string(testCase.param ? "AdapterGone" : "EcuSilent");
                         });

TEST_F(PanelAdapter, BackOnItsOwnPortTheChoiceClosesOnThatPort) {
    startConnected();
    pull();
    tick();
    ASSERT_TRUE(panel->onComSelected(3));
    peer.plugged = true;
    tick();
    tick();
    EXPECT_FALSE(shown().isEnabled(control::start));
    EXPECT_EQ(shown().comSelection, 0);
    EXPECT_EQ(ecu::chosenPortNumber, 2);
}

// What a killed run left owed shows before "Начать", beside a silent ECU, and
// goes once the next connection has paid it.
TEST_F(PanelAdapter, WhatAnEarlierRunLeftHeldIsShownUntilItIsHandedBack) {
    ecu::OwedControls cut;
    cut.held[*ecu::OwedControls::indexOf(0x0D)] = 0x01;
    ecu::processOwedMemory().save(ports.path(0), cut);
    EXPECT_EQ(shown().heldNote,
              "Тестер мог оставить отключённой форсунку 1 на COM1: управление будет возвращено при "
              "подключении.");
    EXPECT_EQ(shown().held, std::set<ControlId>{control::injector1});
    EXPECT_FALSE(shown().isChecked(control::injector1));
    peer.silent = true;
    panel->onStart();
    EXPECT_EQ(shown().link.line(),
              "ЭБУ не отвечает — зажигание выключено? не тот разъём?; тестер может удерживать: "
              "форсунка 1 — управление будет возвращено, когда ЭБУ ответит");
    peer.silent = false;
    tick();
    EXPECT_EQ(shown().link.state, LinkState::connected);
    EXPECT_EQ(shown().heldNote, "");
    EXPECT_TRUE(ecu::processOwedMemory().peek(ports.path(0)).empty());
}

TEST_F(PanelAdapter, ASilentEcuShowsTheCauseAndNoLongerClaimsItsType) {
    EXPECT_EQ(shown().link.state, LinkState::idle) << "before the start";
    startConnected();
    EXPECT_EQ(shown().link.state, LinkState::connected);
    peer.silent = true;
    tick();
    EXPECT_EQ(shown().link.line(), "ЭБУ не отвечает — зажигание выключено? не тот разъём?");
    EXPECT_EQ(shown().text(control::statusText), "*** Нет связи");
    peer.silent = false;
    tick();
    EXPECT_EQ(shown().link.state, LinkState::connected);
    EXPECT_EQ(shown().text(control::statusText), "ЭБУ Микас 5.4. ");
    panel->onDestroy();
    EXPECT_EQ(shown().link.state, LinkState::idle);
}

}  // namespace
}  // namespace ecuprobe::console::testing
