#include "ecu/faults.h"

#include <gtest/gtest.h>

#include "ecu/ecu_session.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

TEST(FaultTexts, TableHolds148CodesInAscendingOrderAndAClosingEntry) {
    const std::span<const FaultText> table = faultTexts();
    ASSERT_EQ(table.size(), 149u);
    for (std::size_t i = 1; i < 148; ++i) {
        EXPECT_LT(table[i - 1].code, table[i].code) << i;
        EXPECT_FALSE(table[i].description.empty()) << i;
    }
    EXPECT_EQ(table.front().code, 13);
    EXPECT_EQ(table[147].code, 250);
    EXPECT_EQ(table[148].code, 0);
    EXPECT_EQ(table[148].description, "");
}

TEST(FaultTexts, DescriptionsByCode) {
    EXPECT_EQ(faultDescription(14), "высокий уровень сигнала датчика расхода воздуха");
    EXPECT_EQ(faultDescription(131), "неисправность форсунки 1 (короткое замыкание)");
    EXPECT_EQ(faultDescription(250), "короткое замыкание на массу в цепи прожига датчика GB");
    EXPECT_EQ(faultDescription(200), "*** Неизвестная ошибка ***");
    EXPECT_EQ(faultDescription(0), "");
}

TEST(FaultTexts, CrankshaftSensorCodesShareOneDescription) {
    for (const std::uint8_t code : std::initializer_list<std::uint8_t>{27, 28, 29, 53}) {
        EXPECT_EQ(faultDescription(code), "неисправность датчика угловой синхронизации") << +code;
    }
}

TEST(FaultTexts, StatusWordsFollowBits0x20And0x40) {
    EXPECT_EQ(faultStatusText(0x00), "");
    EXPECT_EQ(faultStatusText(0x20), "= многократн.");
    EXPECT_EQ(faultStatusText(0x40), " = однократн.");
    EXPECT_EQ(faultStatusText(0x60), "= многократн. = однократн.");
    EXPECT_EQ(faultStatusText(0x9F), "");
}

using Faults = SessionTest;

TEST_F(Faults, ReadListGivesCompactAndDecodedTexts) {
    openConnected();
    answerAll({0x02, 13, 0x20, 131, 0x60});
    session.readFaults();
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{{0x02}}));
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, " 013:20, 131:60,");
    session.faultListDecoded(text);
    EXPECT_EQ(text,
              "\r\n 013:20: низкий уровень сигнала датчика расхода воздуха = многократн.."
              "\r\n 131:60: неисправность форсунки 1 (короткое замыкание) = многократн. = "
              "однократн..");
}

TEST_F(Faults, StatusWithoutWordsEndsInBlankAndFullStopAndPrintsLowerCaseHex) {
    openConnected();
    answerAll({0x02, 200, 0x00, 7, 0x8A});
    session.readFaults();
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, " 200:00, 007:8a,");
    session.faultListDecoded(text);
    EXPECT_EQ(text,
              "\r\n 200:00: *** Неизвестная ошибка *** .\r\n 007:8a: *** Неизвестная ошибка *** .");
}

TEST_F(Faults, EmptyListAndNegativeCountAndNoConnection) {
    openConnected();
    std::string shortText;
    std::string decoded;
    answerAll({0x00});
    session.readFaults();
    session.faultListShort(shortText);
    session.faultListDecoded(decoded);
    EXPECT_EQ(shortText, "*** Нет Ошибок ***");
    EXPECT_EQ(decoded, "*** Нет Ошибок ***");

    answerAll({0x81, 13, 0x20});
    session.readFaults();
    EXPECT_EQ(session.faultCount(), -127);
    session.faultListShort(shortText);
    session.faultListDecoded(decoded);
    EXPECT_EQ(shortText, "");
    EXPECT_EQ(decoded, "");

    answerAll({0x01, 13, 0x20});
    session.readFaults();
    stateOf(session).connected = 0;
    session.faultListShort(shortText);
    session.faultListDecoded(decoded);
    EXPECT_EQ(shortText, "");
    EXPECT_EQ(decoded, "");
}

TEST_F(Faults, CountAboveTheArrayStoresOnlyWhatFits) {
    openConnected();
    Bytes answer{127};
    for (int i = 0; i < 125; ++i) {
        answer.push_back(static_cast<std::uint8_t>(i + 1));
        answer.push_back(0x20);
    }
    answerAll(answer);
    // The fields after the array must survive the surplus entries.
    stateOf(session).injectorCut = 0xA5;
    stateOf(session).outputState = 0x5A;
    stateOf(session).injectorOn = {7, 7, 7, 7, 7};
    session.readFaults();
    EXPECT_EQ(session.faultCount(), 127);
    ASSERT_EQ(session.storedFaults().size(), 54u);
    EXPECT_EQ(stateOf(session).faults[53].code, 54);
    EXPECT_EQ(stateOf(session).injectorCut, 0xA5);
    EXPECT_EQ(stateOf(session).outputState, 0x5A);
    EXPECT_EQ(stateOf(session).injectorOn, (std::array<std::int32_t, 5>{7, 7, 7, 7, 7}));
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text.size(), 54u * 8u);
    EXPECT_EQ(text.substr(text.size() - 8), " 054:20,");
}

TEST_F(Faults, CountAboveThePairsReceivedStoresOnlyWholePairs) {
    openConnected();
    answerAll({0x03, 13, 0x20, 14});
    session.readFaults();
    std::string text;
    session.faultListShort(text);
    EXPECT_EQ(text, " 013:20,");
}

TEST_F(Faults, UnansweredReadKeepsThePreviousList) {
    openConnected();
    answerAll({0x01, 13, 0x20});
    session.readFaults();
    staySilent();
    session.readFaults();
    EXPECT_EQ(session.faultCount(), 1);
    EXPECT_EQ(session.storedFaults().size(), 1u);
}

// The empty list of a connection, a reset or a clear is no answer "no faults".
TEST_F(Faults, TheListCountsAsReadOnlyOnceTheEcuAnsweredIt) {
    openConnected();
    staySilent();
    session.readFaults();
    EXPECT_FALSE(session.faultListAnswered()) << "unanswered on this connection";
    answerAll({0x00});
    session.readFaults();
    EXPECT_TRUE(session.faultListAnswered());
    staySilent();
    session.readFaults();
    EXPECT_TRUE(session.faultListAnswered()) << "the list answered before is kept";
    session.clearFaults();
    EXPECT_FALSE(session.faultListAnswered()) << "a clear is not examined";
    answerAll({0x00});
    session.readFaults();
    session.resetState();
    EXPECT_FALSE(session.faultListAnswered());
}

TEST_F(Faults, ReadWhileDisconnectedSendsNothing) {
    openConnected();
    stateOf(session).connected = 0;
    session.readFaults();
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(Faults, ClearWritesCommandThenZeroAndEmptiesTheList) {
    openConnected();
    answerAll({0x01, 13, 0x20});
    session.readFaults();
    staySilent();
    const std::uint32_t start = clock.tickMs();
    session.clearFaults();
    ASSERT_EQ(ecu.sent.size(), 3u);
    EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x62, 0x0E, 0x08}));
    EXPECT_EQ(ecu.sent[2].payload, (Bytes{0x62, 0x0E, 0x00}));
    EXPECT_EQ(ecu.sent[1].atMs - start, 100u);
    EXPECT_EQ(session.faultCount(), 0);
    EXPECT_TRUE(session.storedFaults().empty());
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
