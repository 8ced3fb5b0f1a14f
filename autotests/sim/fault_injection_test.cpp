// Each injected fault does what it says on the wire, and each trigger strikes the
// requests it should. Requests and answers are hand-written frames.
#include <gtest/gtest.h>

#include "case_names.h"
#include "sim/fault_rule_text.h"
#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using ecuprobe::case_names::PrintTo;

using testing::Bytes;
using testing::concat;
using testing::exchange;

const Bytes typeRequest{0x01, 0xFF, 0x0D};
const Bytes typeAnswer{0x09, 0xF7, 0x0D};

struct LineFaultCase {
    const char* name;
    FaultKind kind;
    Bytes request;
    Bytes expected;  // everything that comes back on the line
};

class LineFault : public ::testing::TestWithParam<LineFaultCase> {};

TEST_P(LineFault, ChangesWhatComesBack) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({GetParam().kind, {}, 0});
    EXPECT_EQ(exchange(ecu, clock, GetParam().request), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LineFault,
    ::testing::Values(
        LineFaultCase{"Silence", FaultKind::silence, typeRequest, typeRequest},
        LineFaultCase{"BadChecksum", FaultKind::badChecksum, typeRequest,
                      concat(typeRequest, {0x09, 0xF8, 0x0D})},
        LineFaultCase{"WrongEcho", FaultKind::wrongEcho, typeRequest,
                      concat({0xFE, 0xFF, 0x0D}, typeAnswer)},
        LineFaultCase{"MissingEcho", FaultKind::missingEcho, typeRequest, typeAnswer},
        LineFaultCase{"ShortEcho", FaultKind::shortEcho, typeRequest, concat({0x01}, typeAnswer)},
        LineFaultCase{"CutAnswer", FaultKind::cutAnswer, typeRequest, concat(typeRequest, {0x09})},
        LineFaultCase{"RefusedWrite",
                      FaultKind::refusedWrite,
                      {0x62, 0x0E, 0x10, 0x80, 0x0D},
                      {0x62, 0x0E, 0x10, 0x80, 0x0D, 0x01, 0xFF, 0x0D}},
        LineFaultCase{"NoIdentificationPassport",
                      FaultKind::noIdentification,
                      {0x51, 0xAF, 0x0D},
                      {0x51, 0xAF, 0x0D}},
        LineFaultCase{"NoIdentificationText",
                      FaultKind::noIdentification,
                      {0x61, 0x74, 0x2B, 0x0D},
                      {0x61, 0x74, 0x2B, 0x0D}},
        LineFaultCase{"NoIdentificationKeepsType", FaultKind::noIdentification, typeRequest,
                      concat(typeRequest, typeAnswer)},
        // Equipment: 0x5F with the speed sensor bit 0x40 cleared is 0x1F.
        LineFaultCase{"NoSpeedSensor",
                      FaultKind::noSpeedSensor,
                      {0x61, 0x01, 0x02, 0x03, 0x04, 0x05, 0x90, 0x0D},
                      {0x61, 0x01, 0x02, 0x03, 0x04, 0x05, 0x90, 0x0D, 0x1F, 0x00, 0xC1, 0x01, 0xB3,
                       0x01, 0x6B, 0x0D}}),
    [](const auto& param) { return param.param.name; });

TEST(FaultInjection, RefusedWriteLeavesTheRegistersAlone) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({FaultKind::refusedWrite, {}, 0});
    exchange(ecu, clock, {0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D});
    EXPECT_EQ(ecu.controls().injectorCut, 0);
}

TEST(FaultInjection, NoiseIsAnInvalidFrameBetweenEchoAndAnswer) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({FaultKind::noise, {}, 0});
    const Bytes got = exchange(ecu, clock, typeRequest);
    ASSERT_GT(got.size(), typeRequest.size() + typeAnswer.size());
    EXPECT_TRUE(std::equal(typeRequest.begin(), typeRequest.end(), got.begin()));
    EXPECT_TRUE(std::equal(typeAnswer.rbegin(), typeAnswer.rend(), got.rbegin()));
    const Bytes noise(got.begin() + 3, got.end() - 3);
    EXPECT_EQ(noise.back(), 0x0D);
    EXPECT_EQ(std::count(noise.begin(), noise.end(), 0x0D), 1);
    std::uint8_t sum = 0;
    for (std::uint8_t b : noise) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    EXPECT_NE(sum, 0x0D) << "a receiver must drop the noise";
}

TEST(FaultInjection, GarbageNeverEndsAFrameAndStopsAtTheNextWrite) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({FaultKind::garbage, {FaultTrigger::Mode::once, 1, 1, {}}, 0});
    Bytes got = exchange(ecu, clock, typeRequest, 300);
    ASSERT_GE(got.size(), 3u + 250u);
    EXPECT_EQ(std::count(got.begin() + 3, got.end(), 0x0D), 0);
    clock.advance(300);
    EXPECT_EQ(exchange(ecu, clock, {}).size(), 300u) << "about a byte a millisecond";
    EXPECT_EQ(exchange(ecu, clock, typeRequest), concat(typeRequest, typeAnswer));
}

TEST(FaultInjection, VanishedDeviceIsAbsentForItsTimeThenAnswersAgain) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({FaultKind::vanish, {FaultTrigger::Mode::once, 1, 1, {}}, 1500});
    EXPECT_TRUE(exchange(ecu, clock, typeRequest).empty());
    EXPECT_FALSE(ecu.present());
    clock.advance(1499);
    EXPECT_FALSE(ecu.present());
    clock.advance(1);
    EXPECT_TRUE(ecu.present());
    EXPECT_EQ(exchange(ecu, clock, typeRequest), concat(typeRequest, typeAnswer));
    EXPECT_EQ(ecu.vanishCount(), 1);
}

TEST(FaultInjection, AnswerDelayHoldsTheAnswerButNotTheEcho) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.answerDelayMs = 40;
    SimulatedEcu ecu(clock, options);
    EXPECT_EQ(exchange(ecu, clock, typeRequest, 39), typeRequest);
    EXPECT_EQ(exchange(ecu, clock, {}, 1), typeAnswer);
}

struct TriggerCase {
    const char* name;
    const char* rule;  // as ecu-sim takes it
    // For ten requests in turn (0x01, 0x63, 0x01, 0x63 ...): answered or not.
    std::vector<bool> answered;
};

class Trigger : public ::testing::TestWithParam<TriggerCase> {};

TEST_P(Trigger, StrikesTheRequestsItCounts) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const auto rule = parseFaultRule(GetParam().rule);
    ASSERT_TRUE(rule.has_value());
    ecu.addFault(*rule);
    std::vector<bool> answered;
    for (int i = 0; i < 10; ++i) {
        const Bytes request = i % 2 == 0 ? typeRequest : Bytes{0x63, 0x9D, 0x0D};
        answered.push_back(exchange(ecu, clock, request, 10).size() > request.size());
    }
    EXPECT_EQ(answered, GetParam().answered);
}

constexpr bool Y = true;
constexpr bool N = false;

INSTANTIATE_TEST_SUITE_P(
    Modes, Trigger,
    ::testing::Values(
        TriggerCase{"Always", "silence", {N, N, N, N, N, N, N, N, N, N}},
        TriggerCase{"Once", "silence:once", {N, Y, Y, Y, Y, Y, Y, Y, Y, Y}},
        TriggerCase{"EveryThird", "silence:every=3", {Y, Y, N, Y, Y, N, Y, Y, N, Y}},
        TriggerCase{"AfterFour", "silence:after=4", {Y, Y, Y, Y, N, N, N, N, N, N}},
        TriggerCase{"OnlyCommand63", "silence:cmd=0x63", {Y, N, Y, N, Y, N, Y, N, Y, N}},
        TriggerCase{"EverySecondOf63", "silence:every=2,cmd=0x63", {Y, Y, Y, N, Y, Y, Y, N, Y, Y}},
        TriggerCase{"ChanceNone", "silence:p=0", {Y, Y, Y, Y, Y, Y, Y, Y, Y, Y}},
        TriggerCase{"ChanceAll", "silence:p=1", {N, N, N, N, N, N, N, N, N, N}}),
    [](const auto& param) { return param.param.name; });

TEST(FaultInjection, SeededChanceRepeatsItsPatternAndStrikesAboutAsOftenAsAsked) {
    auto pattern = [](std::uint64_t seed) {
        platform::FakeClock clock;
        SimulatedEcuOptions options;
        options.seed = seed;
        SimulatedEcu ecu(clock, options);
        ecu.addFault(*parseFaultRule("silence:p=0.3"));
        std::vector<bool> answered;
        for (int i = 0; i < 400; ++i) {
            answered.push_back(exchange(ecu, clock, typeRequest).size() > 3);
        }
        return answered;
    };
    const auto first = pattern(7);
    EXPECT_EQ(first, pattern(7));
    const auto silent = std::count(first.begin(), first.end(), false);
    EXPECT_GT(silent, 80);
    EXPECT_LT(silent, 160);
}

TEST(FaultRuleText, RejectsWhatItCannotRead) {
    for (const char* bad : {"", "thunder", "silence:", "silence:every=0", "silence:p=2",
                            "silence:cmd=zz", "silence:sometimes"}) {
        EXPECT_FALSE(parseFaultRule(bad).has_value()) << bad;
    }
    const auto vanish = parseFaultRule("vanish:once,ms=3000");
    ASSERT_TRUE(vanish.has_value());
    EXPECT_EQ(vanish->vanishMs, 3000u);
    const auto stored = parseStoredFaults("13:20,131:60");
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 2u);
    EXPECT_EQ((*stored)[1].code, 131);
    EXPECT_EQ((*stored)[1].status, 0x60);
    EXPECT_FALSE(parseStoredFaults("13").has_value());
}

}  // namespace
}  // namespace ecuprobe::sim
