#include "ecu/control_parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "case_names.h"
#include "ecu/live_fields.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using ecuprobe::case_names::PrintTo;

class Parameters : public SessionTest {
protected:
    // Writes are accepted; a one-variable read answers with readValue.
    void acceptWrites(std::uint8_t writeAnswer = 0x00) {
        ecu.reply = [this, writeAnswer](const Bytes& payload) -> std::optional<Bytes> {
            return payload[0] == 0x62 ? Bytes{writeAnswer} : Bytes{readValue};
        };
    }
    // The write requests sent, in order.
    std::vector<Bytes> writes() const {
        std::vector<Bytes> out;
        for (const Bytes& payload : ecu.payloads()) {
            if (payload[0] == 0x62) {
                out.push_back(payload);
            }
        }
        return out;
    }

    std::uint8_t readValue = 0;
};

using S = EcuSession;
using Step = std::function<void(EcuSession&)>;

// One call of a set operation on its own copy of the value.
template <typename Value, typename Result>
Step set(Result (EcuSession::*operation)(Value&), Value value) {
    return [operation, value](EcuSession& session) {
        Value copy = value;
        (session.*operation)(copy);
    };
}

template <typename Result>
Step call(Result (EcuSession::*operation)()) {
    return [operation](EcuSession& session) { (session.*operation)(); };
}

struct PayloadCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<Bytes> expected;
};

class ParameterPayload : public Parameters, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(ParameterPayload, WritesTheseBytes) {
    openConnected();
    acceptWrites();
    for (const Step& step : GetParam().steps) {
        step(session);
    }
    EXPECT_EQ(writes(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, ParameterPayload,
    ::testing::Values(
        PayloadCase{"IgnitionCorrectionFirstThenSecond",
                    {set(&S::setIgnitionCorrection, 5.0f), set(&S::setIgnitionCorrection, -2.7f)},
                    {{0x62, 0x0B, 0x08, 0x28, 0x0A}, {0x62, 0x28, 0xFB}}},
        PayloadCase{"IgnitionCorrectionLimitsAndTruncation",
                    {set(&S::setIgnitionCorrection, 20.0f), set(&S::setIgnitionCorrection, -0.4f)},
                    {{0x62, 0x0B, 0x08, 0x28, 0x1E}, {0x62, 0x28, 0x00}}},
        PayloadCase{"IdleSpeedInTensAndLimited",
                    {set(&S::setIdleSpeed, 800u), set(&S::setIdleSpeed, 2600u),
                     set(&S::setIdleSpeed, 805u)},
                    {{0x62, 0x0B, 0x40, 0x2E, 0x50}, {0x62, 0x2E, 0xFA}, {0x62, 0x2E, 0x50}}},
        PayloadCase{"StepperAlwaysSendsItsOverridePair",
                    {set(&S::setIdleStepper, 40u), set(&S::setIdleStepper, 300u)},
                    {{0x62, 0x0B, 0x20, 0x5B, 0x28}, {0x62, 0x0B, 0x20, 0x5B, 0xFF}}},
        PayloadCase{"StepperKeepsAnotherOverrideBit",
                    {set(&S::setIgnitionCorrection, 1.0f), set(&S::setIdleStepper, 40u)},
                    {{0x62, 0x0B, 0x08, 0x28, 0x02}, {0x62, 0x0B, 0x28, 0x5B, 0x28}}},
        PayloadCase{"PurgeThenEgrShareTheOverrideByte",
                    {set(&S::setPurgeDegree, 100u), set(&S::setEgrDegree, 30u)},
                    {{0x62, 0x0C, 0x04, 0x5E, 0x64}, {0x62, 0x0C, 0x06, 0x5F, 0x1E}}},
        PayloadCase{"StoreRcok", {call(&S::storeRcok)}, {{0x62, 0x0E, 0x01, 0x7C, 0x02}}},
        PayloadCase{"AdaptationResets",
                    {call(&S::clearLambdaAdaptation), call(&S::clearKnockAdaptation)},
                    {{0x62, 0x0E, 0x10}, {0x62, 0x0E, 0x20}}}),
    [](const ::testing::TestParamInfo<PayloadCase>& param) { return param.param.name; });

TEST_F(Parameters, IdleSpeedGoesOnTheWireWithTheOverrideByteEscaped) {
    openConnected();
    acceptWrites();
    std::uint32_t rpm = 800;
    session.setIdleSpeed(rpm);
    EXPECT_EQ(ecu.sent[0].wire, (Bytes{0x62, 0x0B, 0x40, 0x00, 0x2E, 0x50, 0xD5, 0x0D}));
}

TEST_F(Parameters, ResetsGoOnTheWireAsTheirWholeFrames) {
    openConnected();
    acceptWrites();
    session.clearLambdaAdaptation();
    session.clearKnockAdaptation();
    EXPECT_EQ(ecu.sent[0].wire, (Bytes{0x62, 0x0E, 0x10, 0x80, 0x0D}));
    EXPECT_EQ(ecu.sent[1].wire, (Bytes{0x62, 0x0E, 0x20, 0x70, 0x0D}));
}

TEST_F(Parameters, SetPausesReadsBackAndForcesTheSlowGroupUnderTheBusyFlag) {
    openConnected();
    acceptWrites();
    readValue = 0xF6;  // -10 half degrees
    stateOf(session).liveData.slowCountdown = 4;
    float degrees = -5.0f;
    EXPECT_EQ(session.setIgnitionCorrection(degrees), -5.0f);
    ASSERT_EQ(ecu.payloads(), (std::vector<Bytes>{{0x62, 0x0B, 0x08, 0x28, 0xF6}, {0x61, 0x28}}));
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    EXPECT_EQ(ecu.sent[1].atMs - ecu.sent[0].atMs, 3u + 60u);
    EXPECT_EQ(ecu.sent[0].busy + ecu.sent[1].busy, 2);
    EXPECT_EQ(exchangeBusy, 0);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
}

// Each read-back follows its set 60 ms after the set's answer, under the busy flag.
TEST_F(Parameters, ReadBackFollowsTheSetAfterSixtyMilliseconds) {
    const std::pair<Step, std::uint8_t> sets[] = {{set(&S::setRcod, -0.25f), 0x41},
                                                  {set(&S::setRcok, -0.25f), 0x42},
                                                  {set(&S::setEgrDegree, 30u), 0x5F},
                                                  {set(&S::setPurgeDegree, 30u), 0x5E}};
    openConnected();
    acceptWrites();
    for (const auto& [step, variable] : sets) {
        ecu.sent.clear();
        step(session);
        ASSERT_EQ(ecu.sent.size(), 2u) << +variable;
        EXPECT_EQ(ecu.sent[1].payload, (Bytes{0x61, variable}));
        EXPECT_EQ(ecu.sent[1].atMs - ecu.sent[0].atMs, 3u + 60u) << +variable;
        EXPECT_EQ(ecu.sent[1].busy, 1) << +variable;
    }
}

TEST_F(Parameters, StoreAloneWaitsThreeHundredMillisecondsForItsAnswer) {
    openConnected();
    EXPECT_EQ(session.storeParameter(2), ecu::ServiceResult::failed);
    EXPECT_EQ(link.responseTimeoutMs(), 300);
    EXPECT_GE(clock.tickMs() - ecu.sent[0].atMs, 300u);
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    EXPECT_EQ(ecu.sent[0].busy, 1);
    std::uint32_t steps = 10;
    session.setIdleStepper(steps);
    EXPECT_EQ(link.responseTimeoutMs(), 200);
}

TEST_F(Parameters, WhileDisconnectedNothingIsSentNorLimited) {
    openConnected();
    stateOf(session).connected = 0;
    std::uint32_t rpm = 9000;
    float rcod = 0.7f;
    session.setIdleSpeed(rpm);
    EXPECT_EQ(session.setRcod(rcod), 0.0f);
    EXPECT_EQ(session.storeRcod(), 0.0f);
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_EQ(rpm, 9000u);
    EXPECT_EQ(rcod, 0.7f);
}

// What each parameter records when the ECU refuses, answers nothing, or answers
// the write but not the read-back.
struct TextCase {
    const char* name;
    Step set;
    const char* refused;
    const char* readBackFailed;  // "" where there is no read-back
};

class ParameterText : public Parameters, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ParameterText, RefusalIsRecordedSilenceIsNot) {
    openConnected();
    session.setStatusText("ЭБУ Микас 5.4. ");
    GetParam().set(session);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 5.4. ");
    acceptWrites(0x01);
    GetParam().set(session);
    EXPECT_EQ(session.statusText(), GetParam().refused);
}

TEST_P(ParameterText, ReadBackWithoutAnswerAfterAnAnsweredWriteIsRecorded) {
    openConnected();
    session.setStatusText("ЭБУ Микас 5.4. ");
    ecu.reply = [](const Bytes& payload) -> std::optional<Bytes> {
        return payload[0] == 0x62 ? std::optional(Bytes{0x00}) : std::nullopt;
    };
    GetParam().set(session);
    const std::string expected =
        *GetParam().readBackFailed != '\0' ? GetParam().readBackFailed : "ЭБУ Микас 5.4. ";
    EXPECT_EQ(session.statusText(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachParameter, ParameterText,
    ::testing::Values(
        TextCase{"Stepper", set(&S::setIdleStepper, 10u), "Ош. уст. РДВ.", ""},
        TextCase{"IdleSpeed", set(&S::setIdleSpeed, 900u), "Ош. уст. обор. ХХ", ""},
        TextCase{"IgnitionCorrection", set(&S::setIgnitionCorrection, 1.0f), "Ош. уст. UOZC.",
                 "Ош. счит. UOZC."},
        TextCase{"Rcod", set(&S::setRcod, -0.1f), "Ош. уст. RCOD.", "Ош. счит. RCOD."},
        TextCase{"Rcok", set(&S::setRcok, -0.1f), "Ош. уст. RCOK.", "Ош. счит. RCOK."},
        TextCase{"Egr", set(&S::setEgrDegree, 10u), "Ош. уст. JEGR.", "Ош. счит. JEGR."},
        TextCase{"Purge", set(&S::setPurgeDegree, 10u), "Ош. уст. JADS.", "Ош. счит. JADS."}),
    [](const ::testing::TestParamInfo<TextCase>& param) { return param.param.name; });

struct StoreCase {
    const char* name;
    float (EcuSession::*store)();
    std::uint8_t index;
    std::uint8_t variable;
    std::uint32_t readBackPauseMs;
    const char* failed;
};

class ParameterStore : public Parameters, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(ParameterStore, UnansweredOrRefusedStoreIsRecordedAndTheReadBackFollows) {
    const StoreCase& c = GetParam();
    openConnected();
    ecu.reply = [](const Bytes& payload) -> std::optional<Bytes> {
        return payload[0] == 0x61 ? std::optional(Bytes{0x00}) : std::nullopt;
    };
    (session.*c.store)();
    EXPECT_EQ(session.statusText(), c.failed);
    acceptWrites(0x01);
    session.setStatusText("");
    (session.*c.store)();
    EXPECT_EQ(session.statusText(), c.failed);
    ASSERT_EQ(ecu.sent.size(), 4u);
    EXPECT_EQ(ecu.sent[2].payload, (Bytes{0x62, 0x0E, 0x01, 0x7C, c.index}));
    EXPECT_EQ(ecu.sent[3].payload, (Bytes{0x61, c.variable}));
    EXPECT_EQ(ecu.sent[3].atMs - ecu.sent[2].atMs, 3u + c.readBackPauseMs);
    EXPECT_EQ(ecu.sent[2].busy + ecu.sent[3].busy, 2)
        << "the store and its read-back hold the line";
}

TEST_P(ParameterStore, AcknowledgedStoreRecordsNothing) {
    openConnected();
    acceptWrites();
    session.setStatusText("ЭБУ Микас 7.1. ");
    (session.*GetParam().store)();
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 7.1. ");
}

INSTANTIATE_TEST_SUITE_P(
    Stores, ParameterStore,
    ::testing::Values(StoreCase{"Rcod", &EcuSession::storeRcod, 1, 0x41, 60, "Ош. coxp. RCOD."},
                      StoreCase{"Rcok", &EcuSession::storeRcok, 2, 0x42, 60, "Ош. coxp. RCOK."},
                      StoreCase{"IgnitionCorrection", &EcuSession::storeIgnitionCorrection, 3, 0x28,
                                100, "Ош. coxp. UOZC."}),
    [](const ::testing::TestParamInfo<StoreCase>& param) { return param.param.name; });

TEST_F(Parameters, ReadBackValueIsTakenAtOnce) {
    openConnected();
    acceptWrites();
    readValue = 0xC0;  // -0.25
    float rcok = -0.25f;
    EXPECT_EQ(session.setRcok(rcok), -0.25f);
    EXPECT_EQ(session.liveData().RCOK, -0.25f);
    readValue = 77;
    std::uint32_t egr = 77;
    EXPECT_EQ(session.setEgrDegree(egr), 77u);
}

TEST_F(Parameters, RefusedOverrideIsSentAgainWithTheNextSet) {
    openConnected();
    acceptWrites(0x01);
    float rcod = -0.1f;
    session.setRcod(rcod);
    EXPECT_EQ(session.lastWriteReply(), WriteReply::refused);
    acceptWrites();
    session.setRcod(rcod);
    EXPECT_EQ(writes()[1], (Bytes{0x62, 0x0C, 0x08, 0x41, 0xE6}));
}

struct ResetCase {
    const char* name;
    ServiceResult (EcuSession::*reset)();
    const char* failed;
    bool forcesSlowGroup;
};

class AdaptationReset : public Parameters, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(AdaptationReset, AcknowledgedOnlyByAnAnswerStartingWithZero) {
    const ResetCase& c = GetParam();
    openConnected();
    session.setStatusText("ЭБУ Микас 5.4. ");
    stateOf(session).liveData.slowCountdown = 5;
    acceptWrites();
    EXPECT_EQ((session.*c.reset)(), ecu::ServiceResult::done);
    EXPECT_EQ(session.statusText(), "ЭБУ Микас 5.4. ");
    EXPECT_EQ(session.liveData().slowCountdown, c.forcesSlowGroup ? 0 : 5);
    EXPECT_EQ(ecu.sent[0].busy, 1);
    for (const bool silent : {true, false}) {
        session.setStatusText("");
        if (silent) {
            staySilent();
        } else {
            acceptWrites(0x01);
        }
        EXPECT_EQ((session.*c.reset)(), ecu::ServiceResult::failed);
        EXPECT_EQ(session.statusText(), c.failed);
    }
    EXPECT_EQ(stateOf(session).regulatorControl, 0);
    EXPECT_EQ(exchangeBusy, 0);
}

INSTANTIATE_TEST_SUITE_P(Tables, AdaptationReset,
                         ::testing::Values(ResetCase{"Lambda", &EcuSession::clearLambdaAdaptation,
                                                     "Ош.очист.L-зонда.", true},
                                           ResetCase{"Knock", &EcuSession::clearKnockAdaptation,
                                                     "Ош.очист.датч.детон.", false}),
                         [](const ::testing::TestParamInfo<ResetCase>& param) {
                             return param.param.name;
                         });

struct ByteCase {
    float value;
    float limited;
    std::uint8_t byte;
};

// x = (v + 0.5) * 256 + 128, truncated: the ECU's own form of the byte; 0 as 0x00.
TEST(ParameterBytes, CoCorrectionsGoInTheEcusOwnForm) {
    const ByteCase rcok[] = {{-0.25f, -0.25f, 0xC0},       {-0.11f, -29 / 256.0f, 0xE3},
                             {0.0f, 0.0f, 0x00},           {-0.5f, -0.5f, 0x80},
                             {-0.375f, -0.375f, 0xA0},     {-1 / 256.0f, -1 / 256.0f, 0xFF},
                             {-0.001f, -1 / 256.0f, 0xFF}, {-0.9f, -0.5f, 0x80},
                             {0.25f, 0.0f, 0x00},          {NAN, 0.0f, 0x00}};
    for (const ByteCase& c : rcok) {
        float value = c.value;
        EXPECT_EQ(rcokByte(value), c.byte) << c.value;
        EXPECT_EQ(value, c.limited) << c.value;
    }
    const ByteCase rcod[] = {{-0.3f, -77 / 256.0f, 0xB3},
                             {-0.45f, -77 / 256.0f, 0xB3},
                             {0.0f, 0.0f, 0x00},
                             {-0.125f, -0.125f, 0xE0}};
    for (const ByteCase& c : rcod) {
        float value = c.value;
        EXPECT_EQ(rcodByte(value), c.byte) << c.value;
        EXPECT_EQ(value, c.limited) << c.value;
    }
}

// The live decoding of RCOK and RCOD is the outside truth: every byte it reads,
// set as a value, reads back as that value, and any value reads back at most
// 1/256 below where the set limited it, never above.
TEST(ParameterBytes, CoCorrectionRoundTripsOverTheWholeRange) {
    const LiveField& rcok = *findLiveField("RCOK");
    for (unsigned b = 0; b <= 255; ++b) {
        const double shown = rcok.convert(b);
        float value = static_cast<float>(shown);
        EXPECT_EQ(rcok.convert(rcokByte(value)), shown) << b;
    }
    for (int step = -1200; step <= 400; ++step) {
        const float sent = static_cast<float>(step) / 1000.0f;
        float value = sent;
        const double readBack = rcok.convert(rcokByte(value));
        EXPECT_EQ(readBack, static_cast<double>(value)) << sent;
        const double wanted = std::clamp(static_cast<double>(sent), -0.5, 0.0);
        EXPECT_LE(readBack, wanted) << sent;
        EXPECT_LT(wanted - readBack, 1.0 / 256) << sent;
    }
}

TEST(ParameterBytes, WholeNumbersAreLimitedInPlace) {
    std::uint32_t steps = 300;
    std::uint32_t rpm = 2600;
    std::uint32_t percent = 150;
    EXPECT_EQ(idleStepperByte(steps), 255);
    EXPECT_EQ(idleSpeedByte(rpm), 250);
    EXPECT_EQ(percentByte(percent), 100);
    EXPECT_EQ(steps + rpm + percent, 255u + 2500u + 100u);
    float degrees = -16.0f;
    EXPECT_EQ(ignitionCorrectionByte(degrees), 0xE2);
    EXPECT_EQ(degrees, -15.0f);
}

}  // namespace
}  // namespace ecuprobe::ecu::testing
