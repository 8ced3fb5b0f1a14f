#include "link/frame_exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "case_names.h"
#include "link/link_fixture.h"
#include "link/link_probe.h"
#include "link/wire_examples.h"

namespace ecuprobe::link {
namespace {

using ecuprobe::case_names::PrintTo;

using testing_support::Bytes;
using testing_support::LinkTest;
using testing_support::WireExample;
using Failure = platform::InMemorySerialDevice::Failure;

class SendRequestWire : public LinkTest, public testing::WithParamInterface<WireExample> {};

TEST_P(SendRequestWire, PutsTheFrameOnTheWire) {
    platform::EchoPeer echoPeer;
    device.setPeer(echoPeer);
    openPort();
    EXPECT_EQ(link.sendRequest(GetParam().payload), 0);
    EXPECT_EQ(echoPeer.written, GetParam().wire);
    EXPECT_EQ(link.errorCount(), 0);
    // The transmit buffer now holds the frame, then zeros.
    const auto& sent = transmitBuffer(link);
    const Bytes held(sent.begin(), sent.begin() + static_cast<long>(GetParam().wire.size()));
    EXPECT_EQ(held, GetParam().wire);
    EXPECT_TRUE(std::all_of(sent.begin() + static_cast<long>(GetParam().wire.size()), sent.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

INSTANTIATE_TEST_SUITE_P(WireExamples, SendRequestWire,
                         testing::ValuesIn(testing_support::requestWireExamples));

struct LimitCase {
    const char* name;
    int n;
    std::size_t escapes;  // payload bytes 0x40 at the start; the rest are 0x01
    std::uint8_t result;
    std::size_t wireLength;
};

class SendRequestLimits : public LinkTest, public testing::WithParamInterface<LimitCase> {};

TEST_P(SendRequestLimits, RefusesWhatCannotBeSentAndSendsNothing) {
    openPort();
    Bytes payload(static_cast<std::size_t>(GetParam().n), 0x01);
    std::fill_n(payload.begin(), GetParam().escapes, 0x40);
    EXPECT_EQ(link.sendRequest(payload), GetParam().result);
    EXPECT_EQ(peer.written.size(), GetParam().wireLength);
    EXPECT_EQ(link.errorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SendRequestLimits,
                         testing::Values(LimitCase{"Empty", 0, 0, 1, 0},
                                         LimitCase{"Longest", 251, 0, 0, 253},
                                         LimitCase{"OneTooLong", 252, 0, 1, 0},
                                         LimitCase{"EscapedToTheLongestWrite", 251, 2, 0, 255},
                                         LimitCase{"EscapedPastOneWrite", 251, 3, 1, 0},
                                         LimitCase{"AllEscapes", 251, 251, 1, 0}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(LinkTest, RefusedRequestStillZeroesTheBufferBeforeItsLastByte) {
    auto& sent = transmitBuffer(link);
    std::fill(sent.begin(), sent.end(), 0xAA);
    EXPECT_EQ(link.sendRequest({}), 1);
    EXPECT_TRUE(
        std::all_of(sent.begin(), sent.begin() + 255, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(sent[255], 0xAA);
}

struct ReceiveCase {
    const char* name;
    Bytes arriving;
    int timedOut;
    Bytes response;  // then zeros up to index 254
};

class ReceiveResponse : public LinkTest, public testing::WithParamInterface<ReceiveCase> {};

TEST_P(ReceiveResponse, CollectsOneFrameOrTimesOut) {
    openPort();
    std::fill(receiveBuffer(link).begin(), receiveBuffer(link).end(), 0xEE);
    peer.arrive(GetParam().arriving);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_EQ(link.timedOut(), GetParam().timedOut == 1);
    Bytes expected = GetParam().response;
    expected.resize(255, 0);
    expected.push_back(0xEE);  // the last byte is never cleared
    EXPECT_EQ(Bytes(link.response().begin(), link.response().end()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReceiveResponse,
    testing::Values(ReceiveCase{"PlainFrame", {0x09, 0xF7, 0x0D}, 0, {0x09, 0xF7, 0x0D}},
                    ReceiveCase{
                        "EscapedTerminatorIsData", {0x40, 0xCD, 0xF3, 0x0D}, 0, {0x0D, 0xF3, 0x0D}},
                    ReceiveCase{"DropsFrameWithBadSumAndTakesTheNext",
                                {0x01, 0x02, 0x03, 0x04, 0x0D, 0x09, 0xF7, 0x0D},
                                0,
                                {0x09, 0xF7, 0x0D, 0x04, 0x0D}},
                    ReceiveCase{"PartialFrameTimesOutAndStays", {0x09, 0xF7}, 1, {0x09, 0xF7}},
                    ReceiveCase{"OnlyBadSumsTimeOut", {0x09, 0xF6, 0x0D}, 1, {0x09, 0xF6, 0x0D}},
                    ReceiveCase{"SilenceTimesOutWithAllZero", {}, 1, {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(LinkTest, SilenceEndsTheReceiveAfterTheLimitInTwentyMillisecondSteps) {
    openPort();
    // Each empty read waits 21 ms and counts 20: 200 ms is 10 empty reads.
    const struct {
        std::uint16_t limitMs;
        std::uint64_t waitedMs;
    } cases[] = {{100, 5 * 21}, {200, 10 * 21}, {300, 15 * 21}, {210, 11 * 21}};
    for (const auto& c : cases) {
        const std::uint64_t before = virtualMs();
        link.setResponseTimeout(c.limitMs);
        link.receiveResponse();
        EXPECT_TRUE(link.timedOut()) << c.limitMs;
        EXPECT_EQ(virtualMs() - before, c.waitedMs) << c.limitMs;
    }
}

TEST_F(LinkTest, SilenceIsCountedFromTheLastByte) {
    openPort();
    const std::uint8_t frame[] = {0x09, 0xF7, 0x0D};
    for (std::uint32_t i = 0; i < 3; ++i) {
        peer.arriveAt(180 * (i + 1), std::span(frame).subspan(i, 1));
    }
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_FALSE(link.timedOut());
    EXPECT_GE(virtualMs(), 540u);
}

TEST_F(LinkTest, ByteAfterTheSilenceLimitComesTooLate) {
    openPort();
    const std::uint8_t frame[] = {0x09, 0xF7, 0x0D};
    peer.arriveAt(250, frame);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(link.timedOut());
    EXPECT_EQ(virtualMs(), 210u);
}

TEST_F(LinkTest, ValidFrameEndsTheReceiveWithoutWaitingForSilence) {
    openPort();
    peer.arrive(Bytes{0x09, 0xF7, 0x0D, 0x55, 0x66});
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_FALSE(link.timedOut());
    EXPECT_EQ(virtualMs(), 0u);
    EXPECT_EQ(peer.taken, 3u);
}

TEST_F(LinkTest, ClosedPortReceiveFailsTenReadsWithoutWaiting) {
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(link.timedOut());
    EXPECT_EQ(link.errorCount(), 10);
    EXPECT_EQ(virtualMs(), 0u);
}

TEST_F(LinkTest, StaleBytesAreFlushedBeforeTheEchoIsRead) {
    openPort();
    peer.arrive(Bytes{0x09, 0xF7, 0x0D});  // a late answer to an earlier request
    peer.reply({0x05, 0xFB, 0x0D});
    ASSERT_EQ(link.sendRequest(Bytes{0x63}), 0);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(link.timedOut());
    EXPECT_EQ(link.response()[0], 0x05);
}

TEST_F(LinkTest, FailedWriteIsCountedAndTheReceiveStillRuns) {
    openPort();
    device.failAt(Failure::writeCall);
    EXPECT_EQ(link.sendRequest(Bytes{0x63}), 0);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(link.timedOut());
    EXPECT_EQ(link.errorCount(), 1);
}

// A peer that never stops talking and never completes a valid frame; optionally
// each byte takes msPerByte of virtual time to come.
class EndlessPeer : public platform::WirePeer {
public:
    EndlessPeer(platform::FakeClock& lineClock, Bytes repeating, std::uint32_t perByteMs)
        : clock(lineClock), pattern(std::move(repeating)), msPerByte(perByteMs) {}

    void fromTester(std::span<const std::uint8_t>) override {}
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override {
        const std::size_t n = msPerByte == 0 ? max : std::min<std::size_t>(max, 1);
        for (std::size_t i = 0; i < n; ++i) {
            buffer[i] = pattern[sent++ % pattern.size()];
        }
        clock.advance(msPerByte * static_cast<std::uint32_t>(n));
        return n;
    }

    std::size_t sent = 0;

private:
    platform::FakeClock& clock;
    Bytes pattern;
    std::uint32_t msPerByte;
};

struct GarbageCase {
    const char* name;
    Bytes pattern;
    std::uint32_t msPerByte;
};

class EndlessGarbage : public LinkTest, public testing::WithParamInterface<GarbageCase> {};

TEST_P(EndlessGarbage, CannotHoldTheReceiveBeyondOneSecondOr512Bytes) {
    EndlessPeer endless(clock, GetParam().pattern, GetParam().msPerByte);
    device.setPeer(endless);
    openPort();
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(link.timedOut());
    EXPECT_LE(endless.sent, 512u);
    EXPECT_LE(virtualMs(), 1000u + 21u);
    if (GetParam().msPerByte == 0) {
        EXPECT_EQ(endless.sent, 512u);
    } else {
        EXPECT_GE(virtualMs(), 1000u);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, EndlessGarbage,
                         testing::Values(GarbageCase{"PlainBytes", {0x01}, 0},
                                         GarbageCase{"Escapes", {0x40}, 0},
                                         GarbageCase{"FramesWithBadSums", {0x09, 0xF6, 0x0D}, 0},
                                         // 0x80 a round: the sum after each 0x0D is 0x4D or
                                         // 0xCD, so no escaped 0x0D ever ends a frame.
                                         GarbageCase{"EscapedTerminators", {0x40, 0x0D, 0x33}, 0},
                                         GarbageCase{"SlowDrip", {0x01, 0x0D}, 5}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

struct NoEchoCase {
    const char* name;
    testing_support::AdapterPeer::Echo echo;
    Bytes reply;  // and the response; empty: none comes
};

class WithoutEcho : public LinkTest, public testing::WithParamInterface<NoEchoCase> {};

// No echo pause and no echo read, and an adapter that echoes after all does not
// get its echo taken for the answer.
TEST_P(WithoutEcho, TakesTheAnswerDirectly) {
    openPort();
    link.setNoEcho(true);
    peer.echo = GetParam().echo;
    peer.reply(GetParam().reply);
    ASSERT_EQ(link.sendRequest(Bytes{0x63}), 0);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(link.lastEchoVerdict().has_value());
    EXPECT_EQ(link.timedOut(), GetParam().reply.empty());
    EXPECT_EQ(Bytes(link.response().begin(), link.response().begin() + 3),
              GetParam().reply.empty() ? Bytes(3, 0) : GetParam().reply);
    EXPECT_EQ(virtualMs(), GetParam().reply.empty() ? 210u : 0u);
    link.detach();
    EXPECT_FALSE(link.noEcho());
}

using Echo = testing_support::AdapterPeer::Echo;
INSTANTIATE_TEST_SUITE_P(
    Adapters, WithoutEcho,
    testing::Values(NoEchoCase{"AdapterWithoutEcho", Echo::none, {0x09, 0xF7, 0x0D}},
                    NoEchoCase{
                        "EchoingAdapterHasItsEchoPassedOver", Echo::faithful, {0x09, 0xF7, 0x0D}},
                    NoEchoCase{"EchoAloneIsNoAnswer", Echo::faithful, {}},
                    NoEchoCase{"SilentEcuTimesOut", Echo::none, {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct TwinAnswerCase {
    const char* name;
    Echo echo;
    bool answeredBefore;  // an answer unlike its request came first on this port
    bool taken;
};

class WithoutEchoTwinAnswer : public LinkTest,
                              public testing::WithParamInterface<TwinAnswerCase> {};

// The link check's answer with the throttle at 99 % equals its request.
TEST_P(WithoutEchoTwinAnswer, IsTheAnswerOnceTheAdapterShowedWhatItDoes) {
    const Bytes twin{0x63, 0x9D, 0x0D};
    openPort();
    link.setNoEcho(true);
    peer.echo = GetParam().echo;
    if (GetParam().answeredBefore) {
        peer.reply({0x09, 0xF7, 0x0D});
        ASSERT_EQ(link.sendRequest(Bytes{0x01}), 0);
        link.setResponseTimeout(200);
        link.receiveResponse();
        ASSERT_FALSE(link.timedOut());
    }
    peer.reply(twin);
    ASSERT_EQ(link.sendRequest(Bytes{0x63}), 0);
    link.setResponseTimeout(200);
    link.receiveResponse();
    EXPECT_EQ(link.timedOut(), !GetParam().taken);
    EXPECT_EQ(Bytes(link.response().begin(), link.response().begin() + 3),
              GetParam().taken ? twin : Bytes(3, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, WithoutEchoTwinAnswer,
    testing::Values(TwinAnswerCase{"AdapterSeenWithoutEcho", Echo::none, true, true},
                    TwinAnswerCase{"EchoingAdapterAfterItsEcho", Echo::faithful, false, true},
                    // Not yet known to be without echo: a lone copy may be the echo.
                    TwinAnswerCase{"AdapterNotSeenYet", Echo::none, false, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct LateEchoCase {
    const char* name;
    Bytes request;                // payload
    Bytes wire;                   // as written, and as the adapter hands it back
    std::size_t onTime;           // echo bytes within the echo read's window
    std::uint32_t lateMs;         // the rest this long after the window
    std::uint32_t answerAfterMs;  // the answer this long after the late echo
    Bytes answer;                 // as framed; the response it leaves
};

class LateEcho : public LinkTest, public testing::WithParamInterface<LateEchoCase> {};

// The echo read waits the 3 ms pause and count + 20 ms; what comes after it is
// still the echo, and every request is itself a valid frame.
TEST_P(LateEcho, IsPassedOverAndNeverTakenForTheAnswer) {
    const LateEchoCase& c = GetParam();
    openPort();
    peer.echo = Echo::none;
    const std::uint32_t windowEndMs =
        clock.tickMs() + 3 + 20 + static_cast<std::uint32_t>(c.wire.size());
    const std::span<const std::uint8_t> wire(c.wire);
    peer.arriveAt(clock.tickMs() + 1, wire.first(c.onTime));  // after the write's flush
    peer.arriveAt(windowEndMs + c.lateMs, wire.subspan(c.onTime));
    peer.arriveAt(windowEndMs + c.lateMs + c.answerAfterMs, c.answer);
    ASSERT_EQ(link.sendRequest(c.request), 0);
    link.setResponseTimeout(200);
    link.receiveResponse();
    ASSERT_FALSE(link.timedOut());
    EXPECT_EQ(Bytes(link.response().begin(),
                    link.response().begin() + static_cast<long>(c.answer.size())),
              c.answer);
    EXPECT_EQ(link.lastEchoVerdict(), EchoVerdict::echoed);
}

const Bytes linkCheck{0x63};
const Bytes linkCheckWire{0x63, 0x9D, 0x0D};
const Bytes equipment{0x61, 0x01, 0x02, 0x03, 0x04, 0x05};
const Bytes equipmentWire{0x61, 0x01, 0x02, 0x03, 0x04, 0x05, 0x90, 0x0D};
INSTANTIATE_TEST_SUITE_P(
    Adapters, LateEcho,
    testing::Values(
        LateEchoCase{"Whole30Before", linkCheck, linkCheckWire, 0, 30, 12, {0x1A, 0xE6, 0x0D}},
        LateEchoCase{"Whole60Together", linkCheck, linkCheckWire, 0, 60, 0, {0x1A, 0xE6, 0x0D}},
        LateEchoCase{"Whole100Together",
                     equipment,
                     equipmentWire,
                     0,
                     100,
                     0,
                     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D}},
        LateEchoCase{"Split30Together",
                     equipment,
                     equipmentWire,
                     3,
                     30,
                     0,
                     {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x0D}},
        LateEchoCase{"Split100Before", linkCheck, linkCheckWire, 1, 100, 40, {0x1A, 0xE6, 0x0D}},
        // The link check's answer with the throttle at 99 % is the request's twin.
        LateEchoCase{"AnswerEqualToTheRequestAfterAnEchoInTime", linkCheck, linkCheckWire, 3, 0, 5,
                     linkCheckWire},
        LateEchoCase{"AnswerEqualToTheRequestAfterALateEcho", linkCheck, linkCheckWire, 0, 60, 0,
                     linkCheckWire}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ProcessLink, IsOneObjectForTheWholeProcess) {
    EXPECT_EQ(&processLink(), &processLink());
    EXPECT_EQ(processLink().responseTimeoutMs(), 100);
    EXPECT_EQ(processLink().byteTimeoutMs(), 20);
}

}  // namespace
}  // namespace ecuprobe::link
