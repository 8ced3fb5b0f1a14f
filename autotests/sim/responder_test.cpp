// The simulator against hand-written wire frames: every expected answer below is
// spelt out byte by byte, checksum and terminator included, never produced by the
// framing encoder that the simulator itself uses.
#include <gtest/gtest.h>

#include "case_names.h"
#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using ecuprobe::case_names::PrintTo;

using testing::Bytes;
using testing::concat;
using testing::exchange;

struct WireCase {
    const char* name;
    std::uint8_t typeByte;
    Bytes request;
    Bytes answer;
};

class AnswersOnTheWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(AnswersOnTheWire, EchoesTheRequestThenAnswers) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.typeByte = GetParam().typeByte;
    options.faults = {{0x0D, 0x20}, {0x83, 0x60}};
    SimulatedEcu ecu(clock, options);
    EXPECT_EQ(exchange(ecu, clock, GetParam().request),
              concat(GetParam().request, GetParam().answer));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, AnswersOnTheWire,
    ::testing::Values(
        WireCase{"TypeOfMikas54", 9, {0x01, 0xFF, 0x0D}, {0x09, 0xF7, 0x0D}},
        WireCase{"TypeOfMikas71", 10, {0x01, 0xFF, 0x0D}, {0x0A, 0xF6, 0x0D}},
        WireCase{"UnknownType", 11, {0x01, 0xFF, 0x0D}, {0x0B, 0xF5, 0x0D}},
        WireCase{"CutInjectorOne", 9, {0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D}, {0x00, 0x00, 0x0D}},
        WireCase{"SelectStandardSet", 9, {0x64, 0x20, 0x7C, 0x0D}, {0x00, 0x00, 0x0D}},
        WireCase{"SelectTestSet",
                 9,
                 {0x64, 0x1A, 0x29, 0x21, 0x40, 0x00, 0x60, 0x98, 0x0D},
                 {0x00, 0x00, 0x0D}},
        WireCase{"CoilOverride", 9, {0x62, 0x0A, 0x10, 0x09, 0x00, 0x7B, 0x0D}, {0x00, 0x00, 0x0D}},
        WireCase{"LambdaAdaptationReset", 9, {0x62, 0x0E, 0x10, 0x80, 0x0D}, {0x00, 0x00, 0x0D}},
        WireCase{"IdleSpeedWithEscapedFlag",
                 9,
                 {0x62, 0x0B, 0x40, 0x00, 0x2E, 0x50, 0xD5, 0x0D},
                 {0x00, 0x00, 0x0D}},
        // Two faults: count 2, then 013:20 and 131:60; the code 0x0D goes out escaped.
        WireCase{
            "FaultList", 9, {0x02, 0xFE, 0x0D}, {0x02, 0x40, 0xCD, 0x20, 0x83, 0x60, 0xEE, 0x0D}}),
    [](const auto& param) { return param.param.name; });

TEST(Responder, GivesNoAnswerToAFrameWithABadSum) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const Bytes spoilt{0x01, 0xFE, 0x0D};
    EXPECT_EQ(exchange(ecu, clock, spoilt, 500), spoilt);
    EXPECT_TRUE(ecu.requestLog().empty());
}

TEST(Responder, TakesTheNextFrameAfterABadOne) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const Bytes twoFrames{0x01, 0xFE, 0x0D, 0x01, 0xFF, 0x0D};
    EXPECT_EQ(exchange(ecu, clock, twoFrames), concat(twoFrames, {0x09, 0xF7, 0x0D}));
}

TEST(Responder, SendsAChecksumOf0x0DOr0x40UnescapedAsTheEcuDoes) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.typeByte = 0xF3;  // checksum 0x0D
    SimulatedEcu ecu(clock, options);
    EXPECT_EQ(exchange(ecu, clock, {0x01, 0xFF, 0x0D}),
              (Bytes{0x01, 0xFF, 0x0D, 0xF3, 0x0D, 0x0D}));
    ecu.setTypeByte(0xC0);  // checksum 0x40
    EXPECT_EQ(exchange(ecu, clock, {0x01, 0xFF, 0x0D}),
              (Bytes{0x01, 0xFF, 0x0D, 0xC0, 0x40, 0x0D}));
}

// Requests whose own checksum is 0x40: the purge switched off, coil 2:3 back on.
TEST(Responder, AnswersRequestsWhoseChecksumIsTheEscapeByte) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const Bytes purgeOff{0x62, 0x5E, 0x00, 0x40, 0x0D};
    EXPECT_EQ(exchange(ecu, clock, purgeOff), concat(purgeOff, {0x00, 0x00, 0x0D}));
    const Bytes coil23On{0x62, 0x0A, 0x2B, 0x09, 0x20, 0x40, 0x0D};
    EXPECT_EQ(exchange(ecu, clock, coil23On), concat(coil23On, {0x00, 0x00, 0x0D}));
    EXPECT_EQ(ecu.controls().outputOverride, 0x2B);
    EXPECT_EQ(ecu.controls().outputState, 0x20);
}

TEST(Responder, CutInjectorShowsInTheControlRegisters) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    exchange(ecu, clock, {0x62, 0x40, 0xCD, 0x05, 0x8C, 0x0D});
    EXPECT_EQ(ecu.controls().injectorCut, 0x05);
}

}  // namespace
}  // namespace ecuprobe::sim
