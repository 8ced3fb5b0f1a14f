#include <gtest/gtest.h>

#include "ecu/ecu_session.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using LiveRead = SessionTest;

// Answers a live request with 0x50 in every value, as long as the request asks.
std::optional<Bytes> liveAnswer(const Bytes& payload) {
    return Bytes(payload.size() == 32 ? 35 : 29, 0x50);
}

TEST_F(LiveRead, SlowGroupComesOnTheFirstReadAndThenEveryTenth) {
    openConnected();
    ecu.reply = liveAnswer;
    std::vector<std::uint8_t> countdowns;
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(session.readLiveData(), ecu::ReadResult::read);
        countdowns.push_back(session.liveData().slowCountdown);
    }
    const std::vector<Bytes> payloads = ecu.payloads();
    ASSERT_EQ(payloads.size(), 11u);
    EXPECT_EQ(payloads[0].size(), 32u);
    EXPECT_EQ(Bytes(payloads[0].begin() + 10, payloads[0].begin() + 18),
              (Bytes{0x20, 0x42, 0x41, 0x28, 0x5D, 0x5F, 0x5E, 0x5B}));
    for (int i = 1; i < 10; ++i) {
        EXPECT_EQ(payloads[static_cast<std::size_t>(i)].size(), 26u) << i;
    }
    EXPECT_EQ(Bytes(payloads[1].begin() + 10, payloads[1].begin() + 12), (Bytes{0x20, 0x5B}));
    EXPECT_EQ(payloads[10].size(), 32u);
    EXPECT_EQ(countdowns, (std::vector<std::uint8_t>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 9}));
}

TEST_F(LiveRead, WaitsBeforeEveryRequest) {
    openConnected();
    ecu.reply = liveAnswer;
    session.readLiveData();
    session.readLiveData();
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    EXPECT_EQ(ecu.sent[1].atMs - ecu.sent[0].atMs, 3u + 100u);
}

TEST_F(LiveRead, DecodesTheAnswerIntoTheRecord) {
    openConnected();
    ecu.reply = [](const Bytes&) -> std::optional<Bytes> {
        Bytes answer(35, 0);
        answer[0] = 0x50;   // TWAT
        answer[10] = 0x60;  // RCOK
        answer[21] = 0x71;  // INJ, low byte
        answer[22] = 0x02;
        answer[33] = 128;  // COEFF1
        return answer;
    };
    session.readLiveData();
    EXPECT_EQ(session.liveData().TWAT, 40);
    EXPECT_EQ(session.liveData().RCOK, -0.375f);
    EXPECT_EQ(session.liveData().INJ, 5.0f);
    EXPECT_EQ(session.liveData().COEFF1, 1.0f);
}

TEST_F(LiveRead, NotConnectedSendsNothingAndStillAdvancesTheCountdown) {
    openConnected();
    stateOf(session).connected = 0;
    EXPECT_EQ(session.readLiveData(), ecu::ReadResult::failed);
    EXPECT_EQ(session.liveData().slowCountdown, 10);
    EXPECT_EQ(session.readLiveData(), ecu::ReadResult::failed);
    EXPECT_EQ(session.liveData().slowCountdown, 9);
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(LiveRead, UnansweredReadResetsTheSession) {
    openConnected();
    stateOf(session).statusText = "ЭБУ Микас 5.4. ";
    stateOf(session).injectorOn[2] = 0;
    stateOf(session).liveData.slowCountdown = 4;
    EXPECT_EQ(session.readLiveData(), ecu::ReadResult::failed);
    EXPECT_EQ(ecu.sent.size(), 1u);
    EXPECT_EQ(session.connected(), 0);
    EXPECT_EQ(session.statusText(), "*** Нет связи");
    EXPECT_EQ(session.injectorOn(2), 1);
    // The reset forces the slow group, and the failure then restarts the countdown.
    EXPECT_EQ(session.liveData().slowCountdown, 10);
}

TEST_F(LiveRead, ShortAnswerIsDroppedWithoutLosingTheLink) {
    openConnected();
    stateOf(session).liveData.slowCountdown = 3;
    stateOf(session).liveData.TWAT = 90;
    answerAll(Bytes(28, 0x51));
    EXPECT_EQ(session.readLiveData(), ecu::ReadResult::failed);
    EXPECT_EQ(session.connected(), 1);
    EXPECT_EQ(session.liveData().TWAT, 90);
    EXPECT_EQ(session.liveData().slowCountdown, 2);
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
