#include "ecu/ecu_session.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "case_names.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using ecuprobe::case_names::PrintTo;

using Session = SessionTest;

const Bytes typeRequest{0x01};
const Bytes standardSetRequest{0x64, 0x20};
const Bytes linkCheckRequest{0x63};

std::vector<Bytes> releaseRequests() {
    return {{0x62, 0x09, 0x00}, {0x62, 0x0A, 0x00}, {0x62, 0x0B, 0x00},
            {0x62, 0x0C, 0x00}, {0x62, 0x0D, 0x00}, {0x62, 0x0E, 0x00}};
}

TEST_F(Session, ConstructorPointsAtTheProcessLinkAndSetsInitialValues) {
    EXPECT_EQ(currentLink, &link::processLink());
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.statusText(), "");
    EXPECT_EQ(session.identity().ecuName, "");
    EXPECT_EQ(session.lambdaProbe(), 1);
    EXPECT_EQ(session.dataSetState(), 0xFF);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(session.faultCount(), 0);
    EXPECT_EQ(stateOf(session).injectorOn, (std::array<std::int32_t, 5>{1, 1, 1, 1, 1}));
    EXPECT_EQ(session.liveData().fuelPumpOn, 1);
    EXPECT_EQ(session.liveData().coil14On, 1);
    EXPECT_EQ(session.liveData().coil23On, 1);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
}

TEST_F(Session, ConnectToSilentEcuSendsTypeDataSetAndLinkCheckOnceEach) {
    chosenPortNumber = 3;
    EXPECT_EQ(session.connect(), ecu::ServiceResult::done);
    ASSERT_EQ(ecu.sent.size(), 3u);
    EXPECT_EQ(ecu.sent[0].wire, (Bytes{0x01, 0xFF, 0x0D}));
    EXPECT_EQ(ecu.sent[1].wire, (Bytes{0x64, 0x20, 0x7C, 0x0D}));
    EXPECT_EQ(ecu.sent[2].wire, (Bytes{0x63, 0x9D, 0x0D}));
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.statusText(), "Соединияемся...");
    EXPECT_EQ(device.openedPath, ports.path(1));
}

TEST_F(Session, ConnectWithNoPortChosenUsesCom1AndStoresIt) {
    session.connect();
    EXPECT_EQ(chosenPortNumber, 2);
    EXPECT_EQ(device.openedPath, ports.path(0));
}

TEST_F(Session, ConnectThatCannotOpenThePortChangesNothing) {
    device.missingPaths.push_back(ports.path(0));
    session.setStatusText("ЭБУ Микас 5.4. ");
    session.setLambdaProbe(0);
    EXPECT_EQ(session.connect(), ecu::ServiceResult::failed);
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 5.4. ");
    EXPECT_EQ(session.lambdaProbe(), 0);
}

TEST_F(Session, ConnectToAnsweringEcuReadsLiveDataAndFaults) {
    ecu.reply = [](const Bytes& payload) -> std::optional<Bytes> {
        if (payload[0] == 0x01) {
            return Bytes{0x0A};
        }
        if (payload[0] == 0x61) {
            return Bytes(35, 0x50);
        }
        if (payload[0] == 0x02) {
            return Bytes{0x01, 0x0D, 0x20};
        }
        return Bytes{0x00};
    };
    EXPECT_EQ(session.connect(), ecu::ServiceResult::done);
    const std::vector<Bytes> payloads = ecu.payloads();
    ASSERT_EQ(payloads.size(), 5u);
    EXPECT_EQ(payloads[0], typeRequest);
    EXPECT_EQ(payloads[1], standardSetRequest);
    EXPECT_EQ(payloads[2], linkCheckRequest);
    EXPECT_EQ(payloads[3].size(), 32u);
    EXPECT_EQ(payloads[4], (Bytes{0x02}));
    EXPECT_EQ(session.connected(), 1);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 7.1. ");
    EXPECT_EQ(session.liveData().TWAT, 40);
    EXPECT_EQ(session.faultCount(), 1);
}

struct TypeCase {
    std::uint8_t type;
    const char* status;
    const char* name;
};

class EcuType : public SessionTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(EcuType, TypeByteGivesStatusTextAndName) {
    const TypeCase c = GetParam();
    openConnected();
    answerAll({c.type});
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::done);
    EXPECT_EQ(session.statusText(), c.status);
    EXPECT_EQ(session.identity().ecuName, c.name);
    EXPECT_EQ(session.dataSetState(), 0);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{typeRequest, standardSetRequest}));
}

INSTANTIATE_TEST_SUITE_P(Session, EcuType,
                         ::testing::Values(TypeCase{9, "ЭБУ Микас 5.4. ", "Микас 5.4"},
                                           TypeCase{10, "ЭБУ Микас 7.1. ", "Микас 7.1"},
                                           TypeCase{11, "Неизвестный ЭБУ. ", "Микас ?.?"}));

TEST_F(Session, EcuSilentToTypeButAnsweringDataSetEndsConnected) {
    openConnected();
    stateOf(session).statusText = "before";
    ecu.reply = [](const Bytes& payload) -> std::optional<Bytes> {
        if (payload[0] == 0x64) {
            return Bytes{0x00};
        }
        return std::nullopt;
    };
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::done);
    EXPECT_EQ(session.connected(), 1);
    EXPECT_EQ(session.statusText(), "before");
    EXPECT_EQ(session.identity().ecuName, "");
}

TEST_F(Session, StandardDataSetSelectionFollowsTheAnswerAndPauses) {
    openConnected();
    stateOf(session).dataSetState = 1;
    EXPECT_EQ(session.selectStandardDataSet(), ecu::ServiceResult::done);
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.dataSetState(), 0);
    answerAll({0x00});
    const std::uint32_t start = clock.tickMs();
    session.selectStandardDataSet();
    EXPECT_EQ(session.connected(), 1);
    EXPECT_EQ(clock.tickMs() - start, 3u + 50u);
}

TEST_F(Session, CheckLinkAfterResetSelectsTheStandardSetFirst) {
    openConnected();
    answerAll({0x00});
    session.resetState();
    EXPECT_EQ(session.checkLink(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{standardSetRequest, linkCheckRequest}));
    EXPECT_EQ(session.checkLink(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.payloads().back(), linkCheckRequest);
    EXPECT_EQ(ecu.sent.size(), 3u);
}

TEST_F(Session, CheckLinkWhileSamplingSendsNothing) {
    openConnected();
    stateOf(session).samplingActive = 1;
    EXPECT_EQ(session.checkLink(), ecu::ServiceResult::done);
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(Session, CheckLinkWithoutAnswerMarksTheSessionDisconnected) {
    openConnected();
    stateOf(session).dataSetState = 0;
    EXPECT_EQ(session.checkLink(), ecu::ServiceResult::failed);
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{linkCheckRequest}));
}

TEST_F(Session, TestDataSetWhileDisconnectedSendsNothing) {
    openConnected();
    stateOf(session).connected = 0;
    EXPECT_EQ(session.selectTestDataSet(), ecu::ReadResult::failed);
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_EQ(session.samplingActive(), 0);
}

TEST_F(Session, TestDataSetIsSelectedWithItsPositions) {
    openConnected();
    answerAll({0x00});
    stateOf(session).liveData.slowCountdown = 5;
    EXPECT_EQ(session.selectTestDataSet(), ecu::ReadResult::read);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{{0x64, 0x1A, 0x29, 0x21, 0x40, 0x60}}));
    EXPECT_EQ(ecu.sent[0].atMs, 50u);
    EXPECT_EQ(session.samplingActive(), 1);
    EXPECT_EQ(session.dataSetState(), 1);
    const TestDataSetPositions p = session.testPositions();
    EXPECT_EQ((std::array<int, 5>{p.twat, p.freq, p.jair, p.jqt, p.spd}),
              (std::array<int, 5>{0, 1, 2, 4, 6}));
    EXPECT_EQ(session.liveData().slowCountdown, 5);
}

TEST_F(Session, UnansweredTestDataSetForcesTheSlowGroup) {
    openConnected();
    stateOf(session).liveData.slowCountdown = 5;
    EXPECT_EQ(session.selectTestDataSet(), ecu::ReadResult::failed);
    EXPECT_EQ(session.dataSetState(), 1);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
}

TEST_F(Session, ReleaseToAcceptingEcuSendsSixWritesWithPauses) {
    openConnected();
    answerAll({0x00});
    stateOf(session).outputOverride = 0x10;
    stateOf(session).overrideFlags0C = 0x04;
    stateOf(session).liveData.airConditionerOn = 1;
    stateOf(session).liveData.slowCountdown = 7;
    session.releaseControls();
    EXPECT_EQ(ecu.payloads(), releaseRequests());
    EXPECT_EQ(ecu.sent[0].atMs, 200u);
    for (std::size_t i = 1; i < ecu.sent.size(); ++i) {
        EXPECT_EQ(ecu.sent[i].atMs - ecu.sent[i - 1].atMs, 3u + 100u) << i;
        EXPECT_EQ(ecu.sent[i].busy, 1);
    }
    EXPECT_EQ(exchangeBusy, 0);
    EXPECT_EQ(stateOf(session).outputOverride, 0);
    EXPECT_EQ(stateOf(session).overrideFlags0C, 0);
    EXPECT_EQ(session.liveData().airConditionerOn, 0);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
}

// A service nested in another (the identification inside the state report) must
// leave the outer one holding the line.
TEST(ExchangeBusyGuard, PutsBackWhatItFound) {
    {
        const ExchangeBusyGuard outer;
        {
            const ExchangeBusyGuard inner;
            EXPECT_EQ(exchangeBusy, 1);
        }
        EXPECT_EQ(exchangeBusy, 1);
    }
    EXPECT_EQ(exchangeBusy, 0);
}

TEST_F(Session, ReleaseToRefusingEcuRepeatsEachWriteOnceWithoutPauseBeforeTheLast) {
    openConnected();
    answerAll({0x01});
    session.releaseControls();
    std::vector<Bytes> expected;
    for (const Bytes& request : releaseRequests()) {
        expected.push_back(request);
        expected.push_back(request);
    }
    EXPECT_EQ(ecu.payloads(), expected);
    for (std::size_t i = 1; i < 11; ++i) {
        EXPECT_EQ(ecu.sent[i].atMs - ecu.sent[i - 1].atMs, 3u + 100u) << i;
    }
    EXPECT_EQ(ecu.sent[11].atMs - ecu.sent[10].atMs, 3u);
}

TEST_F(Session, ReleaseToSilentEcuSendsTwelveRequestsWithIdenticalRepeats) {
    openConnected();
    session.releaseControls();
    ASSERT_EQ(ecu.sent.size(), 12u);
    const Bytes register0D{0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D};
    EXPECT_EQ(ecu.sent[8].wire, register0D);
    EXPECT_EQ(ecu.sent[9].wire, register0D);
    const std::uint32_t repeat0D = ecu.sent[9].atMs - ecu.sent[8].atMs;
    const std::uint32_t repeat0E = ecu.sent[11].atMs - ecu.sent[10].atMs;
    EXPECT_EQ(repeat0D - repeat0E, 100u);
}

// Which registers count as handed back: the first write or its repeat must be
// acknowledged; the outcome names the others.
struct HandBackCase {
    const char* name;
    // The answer to the n-th request of the release (0-based); none is silence.
    std::function<std::optional<Bytes>(std::size_t)> answer;
    std::array<bool, 6> acknowledged;
    const char* unacknowledged;
};

class HandBack : public SessionTest, public ::testing::WithParamInterface<HandBackCase> {};

TEST_P(HandBack, OutcomeNamesTheRegistersTheEcuDidNotAcknowledge) {
    openConnected();
    std::size_t n = 0;
    ecu.reply = [&n](const Bytes&) { return GetParam().answer(n++); };
    session.releaseControls();
    const HandBackOutcome& outcome = session.lastHandBack();
    EXPECT_TRUE(outcome.attempted);
    EXPECT_EQ(outcome.acknowledged, GetParam().acknowledged);
    EXPECT_EQ(outcome.complete(), std::string(GetParam().unacknowledged).empty());
    EXPECT_EQ(unacknowledgedRegisters(outcome), GetParam().unacknowledged);
}

INSTANTIATE_TEST_SUITE_P(
    Session, HandBack,
    ::testing::Values(
        HandBackCase{"Accepted",
                     [](std::size_t) { return Bytes{0x00}; },
                     {true, true, true, true, true, true},
                     ""},
        HandBackCase{"Silent",
                     [](std::size_t) { return std::optional<Bytes>(); },
                     {false, false, false, false, false, false},
                     "выходы (0x09), маска выходов (0x0A), параметры (0x0B), параметры (0x0C), "
                     "форсунки (0x0D), регуляторы (0x0E)"},
        // Request 0 refused, its repeat (1) accepted, then accepted to the end.
        HandBackCase{
            "RepeatAccepted",
            [](std::size_t n) { return Bytes{n == 0 ? std::uint8_t{1} : std::uint8_t{0}}; },
            {true, true, true, true, true, true},
            ""},
        // Silent from the fifth request on: 0x0D and 0x0E (and their repeats) go unanswered.
        HandBackCase{
            "SilentAfterFour",
            [](std::size_t n) { return n < 4 ? std::optional<Bytes>(Bytes{0x00}) : std::nullopt; },
            {true, true, true, true, false, false},
            "форсунки (0x0D), регуляторы (0x0E)"},
        HandBackCase{"Refused",
                     [](std::size_t) { return Bytes{0x01}; },
                     {false, false, false, false, false, false},
                     "выходы (0x09), маска выходов (0x0A), параметры (0x0B), параметры (0x0C), "
                     "форсунки (0x0D), регуляторы (0x0E)"}),
    [](const ::testing::TestParamInfo<HandBackCase>& param) { return param.param.name; });

TEST(HandBackOutcome, NeverAttemptedIsNotComplete) {
    EXPECT_FALSE(HandBackOutcome{}.complete());
    HandBackOutcome outcome;
    outcome.attempted = true;
    outcome.acknowledged = {true, true, true, true, false, true};
    EXPECT_EQ(handBackWarning(outcome),
              "ЭБУ не подтвердил возврат управления: форсунки (0x0D); тестер ничего не "
              "удерживает.");
}

TEST_F(Session, ReleaseWhileDisconnectedIdentifiesTheEcuFirst) {
    openConnected();
    stateOf(session).connected = 0;
    answerAll({0x00});
    session.releaseControls();
    const std::vector<Bytes> payloads = ecu.payloads();
    ASSERT_EQ(payloads.size(), 8u);
    EXPECT_EQ(payloads[0], typeRequest);
    EXPECT_EQ(payloads[1], standardSetRequest);
    EXPECT_EQ(std::vector<Bytes>(payloads.begin() + 2, payloads.end()), releaseRequests());
}

TEST_F(Session, ResetStateClearsTheSessionButKeepsTheLastSlowReadings) {
    stateOf(session).connected = 1;
    stateOf(session).identity.identityRead = 0xFF;
    stateOf(session).identity.hasSpeedSensor = 1;
    stateOf(session).lambdaProbe = 0;
    stateOf(session).dataSetState = 0;
    stateOf(session).samplingActive = 1;
    stateOf(session).faultCount = 3;
    stateOf(session).injectorCut = 1;
    stateOf(session).outputState = 2;
    stateOf(session).outputOverride = 3;
    stateOf(session).regulatorControl = 4;
    stateOf(session).overrideFlags0B = 5;
    stateOf(session).overrideFlags0C = 6;
    stateOf(session).injectorOn = {0, 0, 0, 0, 0};
    LiveData& live = stateOf(session).liveData;
    live.TWAT = 90;
    live.coil14On = 0;
    live.slowCountdown = 4;
    live.SSM = 7;
    live.UGB = 1.5f;
    live.WRKLAM = live.RDET = live.BITATM = live.TKFWR1 = live.TKFWR2 = 1;
    live.INPLAM1 = live.INPLAM2 = 1;
    live.PABS = 99;
    live.BDET = 0x0F;

    session.resetState();

    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.identity().identityRead, 0);
    EXPECT_EQ(session.identity().hasSpeedSensor, 0);
    EXPECT_EQ(session.lambdaProbe(), 1);
    EXPECT_EQ(session.dataSetState(), 0xFF);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(session.statusText(), "*** Нет связи");
    EXPECT_EQ(session.faultCount(), 0);
    EXPECT_EQ(
        (std::array<int, 6>{stateOf(session).injectorCut, stateOf(session).outputState,
                            stateOf(session).outputOverride, stateOf(session).regulatorControl,
                            stateOf(session).overrideFlags0B, stateOf(session).overrideFlags0C}),
        (std::array<int, 6>{}));
    EXPECT_EQ(stateOf(session).injectorOn, (std::array<std::int32_t, 5>{1, 1, 1, 1, 1}));
    EXPECT_EQ(live.TWAT, 0);
    EXPECT_EQ(live.coil14On, 1);
    EXPECT_EQ(live.slowCountdown, 0);
    EXPECT_EQ(live.SSM, 7);
    EXPECT_EQ(live.UGB, 1.5f);
    EXPECT_EQ(live.WRKLAM + live.RDET + live.BITATM + live.TKFWR1 + live.TKFWR2 + live.INPLAM1 +
                  live.INPLAM2,
              7);
    EXPECT_EQ(live.PABS, 99u);
    EXPECT_EQ(live.BDET, 0x0F);
}

TEST_F(Session, DisconnectReleasesControlsResetsAndClosesThePort) {
    openConnected();
    answerAll({0x00});
    session.disconnect();
    EXPECT_EQ(ecu.payloads(), releaseRequests());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.statusText(), "*** Нет связи");
    EXPECT_EQ(clock.tickMs() - ecu.sent.back().atMs, 3u + 100u + 200u);
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
