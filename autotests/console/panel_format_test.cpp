#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "case_names.h"
#include "console/live_fields.h"
#include "console/panel_controls.h"
#include "console/panel_period.h"
#include "console/panel_snapshot.h"
#include "console/panel_timer.h"
#include "ecu/live_fields.h"
#include "platform/clock.h"

namespace ecuprobe::console {
namespace {

struct FloatCase {
    float value;
    const char* shown;
    friend void PrintTo(const FloatCase& c, std::ostream* out) { *out << c.shown; }
};

class FormatFloat : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FormatFloat, ShowsTheShortestFormWithSixDigits) {
    EXPECT_EQ(formatFloat(GetParam().value), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(ConsoleValues, FormatFloat,
                         ::testing::Values(FloatCase{5.0f, "5"}, FloatCase{0.375f, "0.375"},
                                           FloatCase{-0.375f, "-0.375"}, FloatCase{0.0f, "0"},
                                           FloatCase{12.3f, "12.3"}, FloatCase{0.1f, "0.1"},
                                           FloatCase{-5.0f, "-5"},
                                           FloatCase{1234567.0f, "1.23457e+06"},
                                           FloatCase{6553.5f, "6553.5"}));

struct PeriodCase {
    const char* text;
    std::optional<std::int32_t> value;
    const char* message;
    friend void PrintTo(const PeriodCase& c, std::ostream* out) {
        case_names::printText(c.text, out);
    }
};

class PeriodEntryText : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodEntryText, TakesIntegersFromZeroToFourOnly) {
    const PeriodEntry entry = readPeriodEntry(GetParam().text);
    EXPECT_EQ(entry.value, GetParam().value);
    EXPECT_EQ(entry.message, GetParam().message);
}

constexpr const char* notInteger = "Please enter an integer.";
constexpr const char* outOfRange = "Please enter an integer between 0 and 4.";

INSTANTIATE_TEST_SUITE_P(
    Entries, PeriodEntryText,
    ::testing::Values(
        PeriodCase{"0", 0, ""}, PeriodCase{"4", 4, ""}, PeriodCase{" 2 ", 2, ""},
        PeriodCase{"+1", 1, ""}, PeriodCase{"5", std::nullopt, outOfRange},
        PeriodCase{"-1", std::nullopt, outOfRange},
        PeriodCase{"99999999999999999999", std::nullopt, outOfRange},
        PeriodCase{"", std::nullopt, notInteger}, PeriodCase{"abc", std::nullopt, notInteger},
        PeriodCase{"1.5", std::nullopt, notInteger}, PeriodCase{"2x", std::nullopt, notInteger},
        PeriodCase{"+-1", std::nullopt, notInteger}, PeriodCase{"+", std::nullopt, notInteger}));

TEST(PeriodMs, IsSixHundredForZeroAndWholeSecondsAbove) {
    EXPECT_EQ(periodMsFor(0), 600u);
    EXPECT_EQ(periodMsFor(-1), 600u);
    EXPECT_EQ(periodMsFor(1), 1000u);
    EXPECT_EQ(periodMsFor(2), 2000u);
}

TEST(Captions, EveryLiveValueStateFlagAndSwitchHasOne) {
    for (const auto ids : {liveValueControls(), stateFlagControls(), switchControls()}) {
        for (const ControlId id : ids) {
            EXPECT_FALSE(caption(id).empty()) << id;
        }
    }
}

TEST(Captions, EveryValueAndFlagBoxShowsAFieldOfTheLiveTable) {
    for (const auto ids : {liveValueControls(), stateFlagControls()}) {
        for (const ControlId id : ids) {
            const LiveField* field = liveFieldFor(id);
            ASSERT_NE(field, nullptr) << id;
            EXPECT_NE(entryOf(*field), nullptr) << field->name;
        }
    }
    for (const LiveField& field : liveFields()) {
        EXPECT_NE(entryOf(field), nullptr) << field.name;
    }
}

TEST(Captions, AreTheConsoleTexts) {
    EXPECT_EQ(caption(control::TWAT), "Темп. Охл. (TWAT):");
    EXPECT_EQ(caption(control::start), "Начать");
    EXPECT_EQ(caption(control::RCOK), "Корр. RCOK:");
    EXPECT_EQ(caption(control::lambdaAdaptationReset), "Х");
    EXPECT_EQ(caption(control::releaseControls), "Вернуть управл.");
    EXPECT_EQ(caption(control::statusText), "");
    EXPECT_EQ(caption(4242), "");
}

TEST(ManualTimer, FiresOnlyWhileRunning) {
    ManualTimer timer;
    int fired = 0;
    EXPECT_FALSE(timer.fire());
    const std::uint32_t handle = timer.start(1, 600, [&fired] { ++fired; });
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(timer.fire());
    timer.stop(handle);
    EXPECT_FALSE(timer.fire());
    EXPECT_EQ(fired, 1);
}

TEST(ManualTimer, FiresWhenAPeriodHasPassedOnTheClockAndNeverCatchesUp) {
    platform::FakeClock clock(5000);
    ManualTimer timer(clock);
    int fired = 0;
    timer.start(1, 1000, [&fired] { ++fired; });
    clock.advance(999);
    EXPECT_EQ(timer.msUntilDue(), 1u);
    EXPECT_FALSE(timer.fireIfDue());
    clock.advance(1);
    EXPECT_TRUE(timer.fireIfDue());
    clock.advance(3500);
    EXPECT_TRUE(timer.fireIfDue());
    EXPECT_FALSE(timer.fireIfDue());
    EXPECT_EQ(fired, 2);
}

TEST(ManualTimer, ACallbackThatRestartsTheTimerRunsToItsEnd) {
    ManualTimer timer;
    int fired = 0;
    timer.start(1, 1000, [&] {
        timer.stop(1);
        timer.start(1, 2000, [] {});
        ++fired;
    });
    EXPECT_TRUE(timer.fire());
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(timer.periodMs(), 2000u);
}

}  // namespace
}  // namespace ecuprobe::console
