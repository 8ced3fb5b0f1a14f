// What the simulated ECU answers and remembers, command by command.
#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "platform/code_pages.h"
#include "sim/simulated_ecu.h"
#include "sim_test_support.h"

namespace ecuprobe::sim {
namespace {

using ecuprobe::case_names::PrintTo;

using testing::ask;
using testing::Bytes;

std::string textOf(const Bytes& block) {
    EXPECT_EQ(block.size(), 16u);
    const std::string raw(block.begin(), block.end());
    return platform::cp866ToUtf8(raw.substr(0, raw.find('\0')));
}

TEST(EcuAnswers, LiveDataRequestGetsEveryWidthInOrder) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const Bytes withSlowGroup{0x61, 0x1A, 0x29, 0x2C, 0x26, 0x07, 0x08, 0x09, 0x39, 0x1E, 0x20,
                              0x42, 0x41, 0x28, 0x5D, 0x5F, 0x5E, 0x5B, 0x5C, 0x1C, 0x60, 0x59,
                              0x3F, 0x21, 0x40, 0x18, 0x0F, 0x23, 0x4D, 0x4E, 0x45, 0x46};
    const auto answer = ask(ecu, clock, withSlowGroup);
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(answer->size(), 35u);
    const Bytes& r = *answer;
    EXPECT_EQ(r[0], 90 + 40) << "warm coolant";
    EXPECT_EQ(r[1] * 40 / 100, 850 / 100) << "idle speed";
    EXPECT_EQ(r[2], 85) << "set-point 850 rpm";
    EXPECT_EQ(r[4] & 0x01, 0) << "engine not stopped";
    EXPECT_NE(r[4] & 0x04, 0) << "idling";
    EXPECT_EQ(r[6] & 0x38, 0x38) << "fuel pump and both coils on";
    EXPECT_NEAR(r[8], 141, 3) << "about 14 V";
    const int inj = r[21] | (r[22] << 8);
    EXPECT_GT(inj * 0.008, 1.5);
    EXPECT_LT(inj * 0.008, 4.0);
}

TEST(EcuAnswers, TestDataSetIsReturnedBy63UntilTheStandardSetIsSelectedAgain) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    EXPECT_EQ(ask(ecu, clock, {0x63})->size(), 1u);
    EXPECT_EQ(ask(ecu, clock, {0x64, 0x1A, 0x29, 0x21, 0x40, 0x60}), Bytes{0x00});
    const auto sample = ask(ecu, clock, {0x63});
    ASSERT_TRUE(sample.has_value());
    ASSERT_EQ(sample->size(), 7u);
    EXPECT_EQ((*sample)[0], 130);
    EXPECT_EQ((*sample)[6], 0) << "standing";
    EXPECT_EQ(ask(ecu, clock, {0x64, 0x20}), Bytes{0x00});
    EXPECT_EQ(ask(ecu, clock, {0x63}), Bytes{0x00}) << "closed throttle";
}

TEST(EcuAnswers, IdentificationTextsAreRussianInTheDosCodePage) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    EXPECT_EQ(textOf(*ask(ecu, clock, {0x51})), "МИКАС 5.4 ЗМЗ406");
    for (std::uint8_t command = 0x52; command <= 0x58; ++command) {
        EXPECT_FALSE(textOf(*ask(ecu, clock, {command})).empty());
    }
    EXPECT_EQ(textOf(*ask(ecu, clock, {0x61, 0x79})), "ЗМЗ4062 №1034917");
    for (std::uint8_t v : Bytes{0x74, 0x75, 0x76, 0x77, 0x7A, 0x7B}) {
        EXPECT_FALSE(textOf(*ask(ecu, clock, {0x61, v})).empty());
    }
    ecu.setTypeByte(mikas71Type);
    EXPECT_EQ(textOf(*ask(ecu, clock, {0x51})), "МИКАС 7.1 ЗМЗ406");
}

TEST(EcuAnswers, ClearCommandEmptiesTheFaultList) {
    platform::FakeClock clock;
    SimulatedEcuOptions options;
    options.faults = {{13, 0x20}};
    SimulatedEcu ecu(clock, options);
    EXPECT_EQ(ask(ecu, clock, {0x02}), (Bytes{0x01, 13, 0x20}));
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x09}).value()[0] & 0x01, 1) << "lamp on with faults";
    ask(ecu, clock, {0x62, 0x0E, 0x08});
    ask(ecu, clock, {0x62, 0x0E, 0x00});
    EXPECT_EQ(ask(ecu, clock, {0x02}), Bytes{0x00});
    EXPECT_EQ(ecu.controls().faultClears, 1);
}

TEST(EcuAnswers, OverriddenParameterHoldsUntilReleaseAndStoredValueOutlivesIt) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ask(ecu, clock, {0x62, 0x0C, 0x10, 0x42, 0x90});  // RCOK overridden to 0x90
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x42}), Bytes{0x90});
    ask(ecu, clock, {0x62, 0x0E, 0x01, 0x7C, 0x02});  // store RCOK
    ask(ecu, clock, {0x62, 0x42, 0x70});
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x42}), Bytes{0x70});
    ask(ecu, clock, {0x62, 0x0C, 0x00});
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x42}), Bytes{0x90}) << "the stored value is back";
    EXPECT_EQ(ecu.controls().storeCount, 1);
    EXPECT_EQ(ecu.controls().regulatorControl, 0) << "a command byte is no regulator setting";
}

TEST(EcuAnswers, RestartDropsOverridesAndKeepsWhatWasStored) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ask(ecu, clock, {0x62, 0x0C, 0x18, 0x42, 0x40, 0x41, 0x20});  // RCOK -0.25, RCOD -0.125
    ask(ecu, clock, {0x62, 0x0E, 0x01, 0x7C, 0x02});              // store RCOK only
    ask(ecu, clock, {0x62, 0x0B, 0x40, 0x2E, 100});               // idle speed 1000 rpm
    ask(ecu, clock, {0x64, 0x1A, 0x29, 0x21, 0x40, 0x60});
    ecu.restart();
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x42, 0x41, 0x0B, 0x0C}), (Bytes{0x40, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ecu.selectedDataSet(), Bytes{0x20});
    EXPECT_EQ(ecu.controls().storeCount, 1);
    clock.advance(8'000);
    ecu.advance();
    EXPECT_NEAR(ecu.truth().rpm, 850, 30) << "the ECU regulates its own idle again";
}

TEST(EcuAnswers, AdaptationResetsClearWhatTheTablesLearnt) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    const Bytes before = ask(ecu, clock, {0x61, 0x46, 0x26}).value();
    EXPECT_EQ(before[0], 135) << "COEFF2 1.03";
    ask(ecu, clock, {0x62, 0x0E, 0x10});
    ask(ecu, clock, {0x62, 0x0E, 0x20});
    clock.advance(10);
    const Bytes after = ask(ecu, clock, {0x61, 0x46, 0x26}).value();
    EXPECT_EQ(after[0], 128) << "COEFF2 1.0";
    EXPECT_EQ(static_cast<std::int8_t>(after[1]) - static_cast<std::int8_t>(before[1]), 3)
        << "1.5 degrees of knock retard gone";
    ecu.restart();
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x46}), Bytes{128}) << "adaptation is non-volatile";
}

struct EngineOverrideCase {
    const char* name;
    Bytes write;
    double (*measure)(const EngineTruth&);
    int direction;  // +1: the measure rises, -1: it falls
};

class EngineOverride : public ::testing::TestWithParam<EngineOverrideCase> {};

// Open loop and the stepper held where it stands, so that neither regulator
// hides the effect.
TEST_P(EngineOverride, ChangesTheEngineWhileHeld) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ask(ecu, clock, {0x62, 0x0E, 0x04});
    clock.advance(5'000);
    const std::uint8_t stepper = ask(ecu, clock, {0x61, 0x5C}).value()[0];
    ask(ecu, clock, {0x62, 0x0B, 0x20, 0x5B, stepper});
    clock.advance(2'000);
    ecu.advance();
    const double before = GetParam().measure(ecu.truth());
    ask(ecu, clock, GetParam().write);
    clock.advance(3'000);
    ecu.advance();
    const double after = GetParam().measure(ecu.truth());
    EXPECT_GT((after - before) * GetParam().direction, 0.02 * before) << before << " " << after;
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, EngineOverride,
    ::testing::Values(EngineOverrideCase{"RcokThinsTheFuel",
                                         {0x62, 0x0C, 0x10, 0x42, 0x80},
                                         [](const EngineTruth& e) { return e.fuelLH; },
                                         -1},
                      EngineOverrideCase{"RcodThinsTheFuelAtIdle",
                                         {0x62, 0x0C, 0x08, 0x41, 0x80},
                                         [](const EngineTruth& e) { return e.fuelLH; },
                                         -1},
                      EngineOverrideCase{"PurgeEnrichesIt",
                                         {0x62, 0x0C, 0x04, 0x5E, 100},
                                         [](const EngineTruth& e) { return e.fuelLH; },
                                         1},
                      EngineOverrideCase{"EgrSlowsTheEngine",
                                         {0x62, 0x0C, 0x02, 0x5F, 100},
                                         [](const EngineTruth& e) { return e.rpm; },
                                         -1},
                      EngineOverrideCase{"IgnitionCorrectionAdvances",
                                         {0x62, 0x0B, 0x28, 0x28, 20},
                                         [](const EngineTruth& e) { return e.advanceDeg; },
                                         1}),
    [](const ::testing::TestParamInfo<EngineOverrideCase>& param) { return param.param.name; });

TEST(EcuAnswers, IdleSpeedAndStepperOverridesActOnTheEngine) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    ask(ecu, clock, {0x62, 0x0B, 0x40, 0x2E, 100});  // idle speed 1000 rpm
    clock.advance(8'000);
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x2C}), Bytes{100});
    EXPECT_NEAR(ecu.truth().rpm, 1000, 30);
    ask(ecu, clock, {0x62, 0x0B, 0x60, 0x5B, 40});  // and the stepper held at 40
    clock.advance(3'000);
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x5B, 0x5C}), (Bytes{40, 40}));
    EXPECT_LT(ecu.truth().rpm, 950);
    for (std::uint8_t r : Bytes{0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E}) {
        EXPECT_EQ(ask(ecu, clock, {0x62, r, 0x00}), Bytes{0x00});
    }
    clock.advance(8'000);
    ecu.advance();
    EXPECT_NEAR(ecu.truth().rpm, 850, 30);
}

TEST(EcuAnswers, OutputOverrideSwitchesTheFanAndReportsIt) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x09}).value()[0] & 0x02, 0);
    ask(ecu, clock, {0x62, 0x0A, 0x02, 0x09, 0x02});
    clock.advance(10);
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x09}).value()[0] & 0x02, 0x02);
    EXPECT_EQ(ecu.controls().outputOverride, 0x02);
}

TEST(EcuAnswers, LambdaVoltageSwitchesInClosedLoopOnly) {
    platform::FakeClock clock;
    SimulatedEcu ecu(clock);
    int switches = 0;
    bool rich = false;
    for (int i = 0; i < 100; ++i) {
        clock.advance(50);
        const Bytes r = ask(ecu, clock, {0x61, 0x07, 0x4D}).value();
        EXPECT_NE(r[0] & 0x40, 0) << "mixture control active";
        switches += (r[1] > 90) != rich ? 1 : 0;
        rich = r[1] > 90;
    }
    EXPECT_GE(switches, 4);
    ask(ecu, clock, {0x62, 0x0E, 0x04});  // knock regulator only: lambda off
    clock.advance(100);
    EXPECT_EQ(ask(ecu, clock, {0x61, 0x07}).value()[0] & 0x40, 0);
}

}  // namespace
}  // namespace ecuprobe::sim
