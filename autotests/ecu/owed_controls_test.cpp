#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "case_names.h"
#include "ecu/ecu_session.h"
#include "ecu/hand_back.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using ecuprobe::case_names::PrintTo;
using Owed = SessionTest;

const Bytes typeRequest{0x01};
const Bytes releaseInjectors{0x62, 0x0D, 0x00};

OwedControls owing(std::uint8_t reg, std::uint8_t bits, OwedControls owed = {}) {
    owed.held[*OwedControls::indexOf(reg)] = bits;
    return owed;
}

// An ECU of type 9 that answers writes with writeReply (nothing: silence) and
// everything else with zeros.
std::function<std::optional<Bytes>(const Bytes&)> ecuAnswering(std::optional<Bytes> writeReply) {
    return [writeReply](const Bytes& payload) -> std::optional<Bytes> {
        if (payload[0] == 0x01) {
            return Bytes{0x09};
        }
        if (payload[0] == 0x62) {
            return writeReply;
        }
        return Bytes(40, 0x00);
    };
}

// The requests after the last type request.
std::vector<Bytes> afterTypeRequest(const std::vector<Bytes>& payloads) {
    const auto type = std::find(payloads.rbegin(), payloads.rend(), typeRequest);
    return {type.base(), payloads.end()};
}

class OwedAfterALostRead : public Owed {
protected:
    // Injector 1 cut with the ECU's acknowledgement, then a live read unanswered.
    void cutThenLoseTheEcu() {
        openConnected();
        ecu.reply = ecuAnswering(Bytes{0x00});
        std::int32_t state = 1;
        session.switchInjector(1, state);
        staySilent();
        EXPECT_NE(session.readLiveData(), ecu::ReadResult::read);
        ASSERT_EQ(stateOf(session).injectorCut, 0);
        ASSERT_EQ(session.injectorOn(1), 1);
        ASSERT_EQ(session.owedControls(), owing(0x0D, 0x01));
        ecu.sent.clear();
    }
};

TEST_F(OwedAfterALostRead, TheHandBackIsTheFirstRequestAfterTheTypeReadOnceTheEcuAnswers) {
    cutThenLoseTheEcu();
    ecu.reply = ecuAnswering(Bytes{0x00});
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{typeRequest, releaseInjectors, {0x64, 0x20}}));
    EXPECT_EQ(ecu.sent[1].busy, 1);
    EXPECT_EQ(ecu.sent[1].atMs - ecu.sent[0].atMs, 3u + 200u);
    EXPECT_TRUE(session.owedControls().empty());
    const std::string told = "Управление возвращено ЭБУ: форсунки (0x0D: форсунка 1).";
    EXPECT_EQ(session.statusText(), told);
    EXPECT_EQ(session.takeHandBackNews(), std::vector<std::string>{told});
    EXPECT_EQ(exchangeBusy, 0);
}

TEST_F(OwedAfterALostRead, ARefusedHandBackIsRepeatedOnceAndStaysOwedUntilConfirmed) {
    cutThenLoseTheEcu();
    ecu.reply = ecuAnswering(Bytes{0x01});
    session.identifyEcuType();
    EXPECT_EQ(afterTypeRequest(ecu.payloads()),
              (std::vector<Bytes>{releaseInjectors, releaseInjectors, {0x64, 0x20}}));
    EXPECT_EQ(session.owedControls(), owing(0x0D, 0x01));
    EXPECT_EQ(session.statusText(),
              "ЭБУ не подтвердил возврат управления: форсунки (0x0D: форсунка 1).");

    // Paid by a poll tick under a service that holds the line: it keeps holding it.
    exchangeBusy = 1;
    ecu.reply = ecuAnswering(Bytes{0x00});
    session.identifyEcuType();
    EXPECT_EQ(exchangeBusy, 1);
    exchangeBusy = 0;
    EXPECT_EQ(afterTypeRequest(ecu.payloads()).front(), releaseInjectors);
    EXPECT_TRUE(session.owedControls().empty());
}

TEST_F(OwedAfterALostRead, AnEcuThatMissesTheTypeRequestIsPaidOnceItTakesTheDataSet) {
    cutThenLoseTheEcu();
    const auto answering = ecuAnswering(Bytes{0x00});
    ecu.reply = [answering](const Bytes& payload) {
        return payload[0] == 0x01 ? std::nullopt : answering(payload);
    };
    EXPECT_EQ(session.identifyEcuType(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{typeRequest, {0x64, 0x20}, releaseInjectors}));
    EXPECT_TRUE(session.owedControls().empty());
}

TEST_F(OwedAfterALostRead, ANewSessionOnTheSamePortPaysWhatAClosedOneLeft) {
    cutThenLoseTheEcu();
    session.disconnect();
    EXPECT_EQ(session.lastHandBack().stillOwed, owing(0x0D, 0x01));

    EcuSession next;
    ecu.reply = ecuAnswering(Bytes{0x00});
    ecu.sent.clear();
    ASSERT_EQ(next.connect(), ecu::ServiceResult::done);
    const std::vector<Bytes> sent = ecu.payloads();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], typeRequest);
    EXPECT_EQ(sent[1], releaseInjectors);
    EXPECT_TRUE(next.owedControls().empty());
}

TEST_F(OwedAfterALostRead, AHandBackOfEverythingWhileSilentPaysNoRegisterTwice) {
    cutThenLoseTheEcu();
    ecu.reply = ecuAnswering(Bytes{0x00});
    session.releaseControls();
    const std::vector<Bytes> sent = ecu.payloads();
    EXPECT_EQ(sent.size(), 8u);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), releaseInjectors), 1);
    EXPECT_TRUE(session.owedControls().empty());
    EXPECT_TRUE(session.lastHandBack().stillOwed.empty());
}

// What a write leaves owed, by how the ECU took it.
struct LedgerCase {
    const char* name;
    std::function<void(EcuSession&)> act;
    std::optional<Bytes> writeReply;
    OwedControls owed;
};

class Ledger : public Owed, public ::testing::WithParamInterface<LedgerCase> {};

TEST_P(Ledger, KeepsWhatTheEcuMayHold) {
    openConnected();
    ecu.reply = ecuAnswering(GetParam().writeReply);
    GetParam().act(session);
    EXPECT_EQ(session.owedControls(), GetParam().owed);
}

void cut(EcuSession& session) {
    std::int32_t state = 1;
    session.switchInjector(1, state);
}

const Bytes ack{0x00};
const Bytes refusal{0x01};

INSTANTIATE_TEST_SUITE_P(
    Writes, Ledger,
    ::testing::Values(LedgerCase{"CutAcknowledged", cut, ack, owing(0x0D, 0x01)},
                      LedgerCase{"CutRefused", cut, refusal, {}},
                      LedgerCase{"CutUnanswered", cut, std::nullopt, owing(0x0D, 0x01)},
                      LedgerCase{"CutThenRestored",
                                 [](EcuSession& s) {
                                     cut(s);
                                     cut(s);
                                 },
                                 ack,
                                 {}},
                      LedgerCase{"FanOn",
                                 [](EcuSession& s) {
                                     std::int32_t state = 0;
                                     s.switchOutput(Output::fan, state);
                                 },
                                 ack, owing(0x09, 0x02, owing(0x0A, 0x02))},
                      LedgerCase{"IdleSpeed",
                                 [](EcuSession& s) {
                                     std::uint32_t rpm = 900;
                                     s.setIdleSpeed(rpm);
                                 },
                                 ack, owing(0x0B, 0x40)},
                      LedgerCase{"FaultsClearedAndTheCommandWithdrawn",
                                 [](EcuSession& s) { s.clearFaults(); },
                                 ack,
                                 {}},
                      LedgerCase{"KnockAdaptationResetUnanswered",
                                 [](EcuSession& s) { s.clearKnockAdaptation(); }, std::nullopt,
                                 owing(0x0E, 0x20)}),
    [](const ::testing::TestParamInfo<LedgerCase>& param) { return param.param.name; });

TEST(OwedRecord, ReadsBackWhatWasWrittenForItsPortOnly) {
    const OwedControls owed = owing(0x0A, 0x02, owing(0x0D, 0x05));
    const std::string text = owedRecordText("/dev/ttyUSB0", owed);
    EXPECT_EQ(text, "ecuprobe owed controls 1\nport /dev/ttyUSB0\n0x0A 0x02\n0x0D 0x05\n");
    EXPECT_EQ(parseOwedRecord("/dev/ttyUSB0", text), owed);
    EXPECT_EQ(parseOwedRecord("/dev/ttyUSB1", text), std::nullopt);
}

TEST(OwedRecord, AnythingElseIsNoRecord) {
    const std::string head = "ecuprobe owed controls 1\nport COM1\n";
    for (const std::string& text : std::vector<std::string>{
             std::string(), head + "0x0D 0x01", head + "0x0D 0x00\n", head + "0x0F 0x01\n",
             head + "0x0D 0x01\n0x09 0x01\n", head + "0x0D 0x01\n0x0D 0x02\n", head + "0x0D 1\n",
             head + "0x0d 0xZZ\n", "ecuprobe owed controls 2\nport COM1\n0x0D 0x01\n"}) {
        EXPECT_EQ(parseOwedRecord("COM1", text), std::nullopt) << text;
    }
    EXPECT_EQ(parseOwedRecord("COM1", head), OwedControls{});
}

TEST(OwedTexts, NameTheRegistersAndWhatTheyHold) {
    const OwedControls owed = owing(0x0E, 0x02, owing(0x0A, 0x0A, owing(0x0D, 0x01)));
    EXPECT_EQ(owedRegisters(owed),
              "маска выходов (0x0A: вентилятор, бензонасос), форсунки (0x0D: форсунка 1), "
              "регуляторы (0x0E: L-регулятор)");
    EXPECT_EQ(heldNote(owed, {}),
              "Тестер может удерживать: вентилятор, бензонасос, форсунка 1, "
              "L-регулятор");
    EXPECT_EQ(heldNote(owed, owing(0x0D, 0x01)),
              "Удерживается тестером: форсунка 1. Тестер может удерживать: вентилятор, "
              "бензонасос, L-регулятор");
    EXPECT_EQ(heldNote(owing(0x0D, 0x01), owing(0x0D, 0x01)), "Удерживается тестером: форсунка 1");
    EXPECT_EQ(owedBeforeConnection(owing(0x0D, 0x01), "COM1"),
              "Тестер мог оставить отключённой форсунку 1 на COM1: управление будет возвращено при "
              "подключении.");
    EXPECT_EQ(owedBeforeConnection(owing(0x0D, 0x05), "COM2"),
              "Тестер мог оставить отключёнными форсунки 1, 3 на COM2: управление будет "
              "возвращено при подключении.");
    EXPECT_EQ(owedBeforeConnection(owed, "COM1"),
              "Тестер мог оставить под своим управлением на COM1: вентилятор, бензонасос, "
              "форсунка 1, L-регулятор — управление будет возвращено при подключении.");
    EXPECT_EQ(owedBeforeConnection({}, "COM1"), "");
    EXPECT_EQ(owedWhileSilent(owing(0x0D, 0x01)),
              "тестер может удерживать: форсунка 1 — управление будет возвращено, когда ЭБУ "
              "ответит");
    EXPECT_EQ(owedPaymentText(owed, owing(0x0D, 0x01)),
              "Управление возвращено ЭБУ: маска выходов (0x0A: вентилятор, бензонасос), "
              "регуляторы (0x0E: L-регулятор). ЭБУ не подтвердил возврат управления: форсунки "
              "(0x0D: форсунка 1).");
    HandBackOutcome outcome;
    outcome.attempted = true;
    outcome.acknowledged = {true, true, true, true, false, true};
    EXPECT_EQ(handBackWarning(outcome),
              "ЭБУ не подтвердил возврат управления: форсунки (0x0D); тестер ничего не "
              "удерживает.");
    outcome.stillOwed = owing(0x0D, 0x01);
    EXPECT_EQ(handBackWarning(outcome),
              "ЭБУ не подтвердил возврат управления: форсунки (0x0D: форсунка 1); включите "
              "зажигание и откройте тестер снова: управление будет возвращено.");
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
