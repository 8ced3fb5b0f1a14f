#include <gtest/gtest.h>

#include "ecu/ecu_session.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using Actuators = SessionTest;

const Bytes accepted{0x00};

TEST_F(Actuators, InjectorCutAndRestoreSendTheWholeCutOffByte) {
    openConnected();
    answerAll(accepted);
    std::int32_t state = 1;
    session.switchInjector(1, state);
    EXPECT_EQ(ecu.sent[0].wire, (Bytes{0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D}));
    EXPECT_EQ(session.injectorOn(1), 0);
    EXPECT_EQ(state, 0);
    session.switchInjector(1, state);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0D, 0x00}));
    EXPECT_EQ(session.injectorOn(1), 1);
    EXPECT_EQ(state, 1);
}

TEST_F(Actuators, SecondInjectorCutRepeatsTheFirst) {
    openConnected();
    answerAll(accepted);
    std::int32_t first = 1;
    std::int32_t third = 1;
    session.switchInjector(1, first);
    session.switchInjector(3, third);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0D, 0x05}));
    EXPECT_EQ(stateOf(session).injectorOn, (std::array<std::int32_t, 5>{1, 0, 1, 0, 1}));
}

TEST_F(Actuators, SwitchesHoldExchangeBusyAndPauseBeforeTheRequest) {
    openConnected();
    answerAll(accepted);
    std::int32_t state = 1;
    session.switchInjector(2, state);
    session.switchOutput(Output::fan, state);
    session.switchLambdaControl(state);
    session.switchKnockControl(state);
    ASSERT_EQ(ecu.sent.size(), 4u);
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    for (std::size_t i = 0; i < ecu.sent.size(); ++i) {
        EXPECT_EQ(ecu.sent[i].busy, 1) << i;
        if (i != 0) {
            EXPECT_EQ(ecu.sent[i].atMs - ecu.sent[i - 1].atMs, 3u + 100u) << i;
        }
    }
    EXPECT_EQ(exchangeBusy, 0);
}

TEST_F(Actuators, InjectorNumberOutsideOneToFourSendsNothing) {
    openConnected();
    answerAll(accepted);
    for (int n : {0, 5, -1}) {
        std::int32_t state = 1;
        session.switchInjector(n, state);
        EXPECT_EQ(state, 1);
    }
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_EQ(stateOf(session).injectorCut, 0);
}

TEST_F(Actuators, CoilThenLampKeepTheOverrideMaskAndOwnStateBits) {
    openConnected();
    answerAll(accepted);
    std::int32_t coil = 1;
    session.switchOutput(Output::coil14, coil);
    EXPECT_EQ(ecu.sent[0].wire, (Bytes{0x62, 0x0A, 0x10, 0x09, 0x00, 0x7B, 0x0D}));
    EXPECT_EQ(session.liveData().coil14On, 0);
    EXPECT_EQ(coil, 0);
    std::int32_t lamp = 0;
    session.switchOutput(Output::checkEngineLamp, lamp);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0A, 0x11, 0x09, 0x01}));
    EXPECT_EQ(session.liveData().CHECKEIGINE, 1);
    EXPECT_EQ(lamp, 1);
}

struct OutputCase {
    Output output;
    std::uint8_t bit;
    std::int32_t LiveData::*flag;
};

TEST_F(Actuators, EachOutputUsesItsBitAndFlag) {
    openConnected();
    answerAll(accepted);
    const OutputCase cases[] = {
        {Output::checkEngineLamp, 0x01, &LiveData::CHECKEIGINE},
        {Output::fan, 0x02, &LiveData::fanOn},
        {Output::airConditioner, 0x04, &LiveData::airConditionerOn},
        {Output::fuelPump, 0x08, &LiveData::fuelPumpOn},
        {Output::coil14, 0x10, &LiveData::coil14On},
        {Output::coil23, 0x20, &LiveData::coil23On},
    };
    for (const OutputCase& c : cases) {
        stateOf(session).outputOverride = 0;
        stateOf(session).outputState = 0;
        stateOf(session).liveData.*c.flag = 0;
        std::int32_t state = 0;
        session.switchOutput(c.output, state);
        EXPECT_EQ(ecu.sent.back().payload, (Bytes{0x62, 0x0A, c.bit, 0x09, c.bit})) << +c.bit;
        EXPECT_EQ(session.liveData().*c.flag, 1) << +c.bit;
        EXPECT_EQ(state, 1) << +c.bit;
    }
}

// A refusal (first answer byte not 0) and silence are both refusals.
class RefusedSwitch : public SessionTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        openConnected();
        if (GetParam()) {
            answerAll({0x01});
        }
    }
};

TEST_P(RefusedSwitch, InjectorKeepsItsStateAndLaterRequestsDropTheRefusedBit) {
    std::int32_t first = 1;
    session.switchInjector(1, first);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x0D, 0x01}));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(session.injectorOn(1), 1);
    answerAll(accepted);
    std::int32_t second = 1;
    session.switchInjector(2, second);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0D, 0x02}));
}

TEST_P(RefusedSwitch, OutputKeepsItsFlagAndLaterRequestsDropTheRefusedBit) {
    std::int32_t pump = 1;
    session.switchOutput(Output::fuelPump, pump);
    EXPECT_EQ(pump, 1);
    EXPECT_EQ(session.liveData().fuelPumpOn, 1);
    answerAll(accepted);
    std::int32_t fan = 0;
    session.switchOutput(Output::fan, fan);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0A, 0x02, 0x09, 0x02}));
}

TEST_P(RefusedSwitch, RegulatorKeepsItsState) {
    std::int32_t lambda = 1;
    session.switchLambdaControl(lambda);
    EXPECT_EQ(lambda, 1);
    answerAll(accepted);
    std::int32_t knock = 1;
    session.switchKnockControl(knock);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0E, 0x00}));
}

INSTANTIATE_TEST_SUITE_P(Actuators, RefusedSwitch, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Refused" : "Silent";
                         });

TEST_F(Actuators, LambdaRegulatorOffThenOn) {
    openConnected();
    answerAll(accepted);
    std::int32_t state = 1;
    stateOf(session).liveData.slowCountdown = 5;
    session.switchLambdaControl(state);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x0E, 0x00}));
    EXPECT_EQ(state, 0);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
    session.switchLambdaControl(state);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0E, 0x02}));
    EXPECT_EQ(state, 1);
}

TEST_F(Actuators, KnockRegulatorRepeatsTheLambdaBit) {
    openConnected();
    answerAll(accepted);
    stateOf(session).regulatorControl = 0x02;
    stateOf(session).liveData.slowCountdown = 5;
    std::int32_t state = 0;
    session.switchKnockControl(state);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x0E, 0x06}));
    EXPECT_EQ(state, 1);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
}

TEST_F(Actuators, CanisterPurgeTakesTheOverrideOnceThenWritesTheDegree) {
    openConnected();
    answerAll(accepted);
    std::int32_t state = 0;
    session.switchCanisterPurge(state);
    EXPECT_EQ(state, 1);
    ASSERT_EQ(ecu.sent.size(), 2u);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x0C, 0x04, 0x5E, 0x64}));
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x61, 0x5E}));
    EXPECT_EQ(ecu.sent[1].atMs - ecu.sent[0].atMs, 3u + 60u);
    EXPECT_EQ(ecu.sent[0].busy, 1);
    EXPECT_EQ(exchangeBusy, 0);
    session.switchCanisterPurge(state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(ecu.sent[2].payload, (Bytes{0x62, 0x5E, 0x00}));
}

TEST_F(Actuators, CanisterPurgeWithOverrideAlreadyTakenSendsOnlyTheDegree) {
    openConnected();
    answerAll(accepted);
    stateOf(session).overrideFlags0C = 0x04;
    std::int32_t state = 0;
    session.switchCanisterPurge(state);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x5E, 0x64}));
}

TEST_F(Actuators, RefusedPurgeIsReportedAndStillChangesTheConsoleState) {
    openConnected();
    answerAll({0x01});
    stateOf(session).liveData.slowCountdown = 5;
    std::int32_t state = 0;
    session.switchCanisterPurge(state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(session.statusText(), "Ош. уст. JADS.");
    EXPECT_EQ(session.liveData().slowCountdown, 0);
    answerAll(accepted);
    session.switchCanisterPurge(state);
    EXPECT_EQ(ecu.sent[2].payload, (Bytes{0x62, 0x0C, 0x04, 0x5E, 0x00}));
}

TEST_F(Actuators, UnansweredPurgeWriteIsNotTakenForARefusal) {
    openConnected();
    session.setStatusText("ЭБУ Микас 5.4. ");
    std::int32_t state = 0;
    session.switchCanisterPurge(state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 5.4. ");
    EXPECT_EQ(stateOf(session).overrideFlags0C, 0x04);
}

TEST_F(Actuators, PurgeDegreeIsLimitedAndReadBack) {
    openConnected();
    ecu.reply = [](const Bytes& payload) -> std::optional<Bytes> {
        return payload[0] == 0x61 ? Bytes{100} : Bytes{0x00};
    };
    std::uint32_t value = 150;
    EXPECT_EQ(session.setPurgeDegree(value), 100u);
    EXPECT_EQ(value, 100u);
    EXPECT_EQ(ecu.sent[0].payload, (Bytes{0x62, 0x0C, 0x04, 0x5E, 0x64}));
}

TEST_F(Actuators, PurgeDegreeWhileDisconnectedSendsNothing) {
    openConnected();
    stateOf(session).connected = 0;
    stateOf(session).liveData.JADS = 40;
    std::uint32_t value = 150;
    EXPECT_EQ(session.setPurgeDegree(value), 0u);
    EXPECT_EQ(value, 150u);
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(Actuators, AfterReleaseTheNextSwitchSendsOnlyItsOwnMaskBit) {
    openConnected();
    answerAll(accepted);
    std::int32_t coil = 1;
    session.switchOutput(Output::coil14, coil);
    std::int32_t injector = 1;
    session.switchInjector(4, injector);
    session.releaseControls();
    EXPECT_EQ(session.injectorOn(4), 0);
    std::int32_t fan = 0;
    session.switchOutput(Output::fan, fan);
    EXPECT_EQ(ecu.sent.back().payload, (Bytes{0x62, 0x0A, 0x02, 0x09, 0x02}));
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
