#include "bench_figures.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "run_up_line.h"
#include "timed_device.h"

#include <gtest/gtest.h>

namespace ecuprobe::bench {
namespace {

struct SpreadCase {
    std::vector<double> values;
    double median;
    double low;
    double high;
};

TEST(BenchFigures, SpreadIsTheMedianAndRangeOfUnsortedRuns) {
    const SpreadCase cases[] = {
        {{7}, 7, 7, 7},
        {{9, 1, 4}, 4, 1, 9},
        {{-26, 41, 3, -2}, 0.5, -26, 41},  // even: the middle two averaged
        {{5, 5, 1, 5}, 5, 1, 5},
    };
    for (const SpreadCase& c : cases) {
        const std::optional<Spread> spread = spreadOf(c.values);
        ASSERT_TRUE(spread);
        EXPECT_DOUBLE_EQ(spread->median, c.median);
        EXPECT_DOUBLE_EQ(spread->low, c.low);
        EXPECT_DOUBLE_EQ(spread->high, c.high);
        EXPECT_EQ(spread->count, c.values.size());
    }
    EXPECT_FALSE(spreadOf({}));
}

TEST(BenchFigures, SpreadTextShowsMedianThenRangeOrADashForNone) {
    EXPECT_EQ(spreadText(spreadOf({-25.54, 41, 3}), 1), "3.0 [-25.5 .. 41.0]");
    EXPECT_EQ(spreadText(std::nullopt, 1), "-");
}

TEST(BenchFigures, SteadyRateCountsTheGapsBetweenPollsNotTheSetUp) {
    // Four polls 62.5 ms apart, the first after a long set-up: 16 a second.
    const double polls[] = {900, 962.5, 1025, 1087.5};
    ASSERT_TRUE(steadyRate(polls));
    EXPECT_DOUBLE_EQ(*steadyRate(polls), 16.0);
    const double one[] = {900};
    const double stuck[] = {900, 900};
    EXPECT_FALSE(steadyRate(one));
    EXPECT_FALSE(steadyRate(stuck));
}

TEST(BenchFigures, CountOptionTakesOnlyAWholeNumber) {
    EXPECT_EQ(countOption("12"), 12u);
    EXPECT_EQ(countOption("0"), 0u);
    for (const char* bad : {"", "1x", "-3", " 4", "1.5", "99999999999999999999999"}) {
        EXPECT_FALSE(countOption(bad)) << bad;
    }
}

struct OptionsCase {
    std::vector<const char*> args;
    bool takesSeed;
    std::optional<int> runs;  // nothing: refused
    std::optional<std::uint64_t> seed;
};

TEST(BenchFigures, RunOptionsTakeRunsAndASeedOnceEachAndRefuseTheRest) {
    const OptionsCase cases[] = {
        {{}, true, 7, std::nullopt},
        {{"--runs", "3"}, true, 3, std::nullopt},
        {{"--seed", "42", "--runs", "1000"}, true, 1000, 42u},
        {{"--runs", "0"}, true, std::nullopt, std::nullopt},
        {{"--runs", "1001"}, true, std::nullopt, std::nullopt},
        {{"--runs"}, true, std::nullopt, std::nullopt},
        {{"--runs", "3", "--runs", "4"}, true, std::nullopt, std::nullopt},
        {{"--seed", "1", "--seed", "2"}, true, std::nullopt, std::nullopt},
        {{"--seed", "42"}, false, std::nullopt, std::nullopt},
        {{"--count", "3"}, true, std::nullopt, std::nullopt},
        {{"3"}, true, std::nullopt, std::nullopt},
    };
    for (const OptionsCase& c : cases) {
        const std::optional<RunOptions> options = runOptions(c.args, 7, 1000, c.takesSeed);
        const std::string shown = c.args.empty() ? "(none)" : c.args[0];
        ASSERT_EQ(options.has_value(), c.runs.has_value()) << shown;
        if (options) {
            EXPECT_EQ(options->runs, *c.runs) << shown;
            EXPECT_EQ(options->seed, c.seed) << shown;
        }
    }
}

TEST(BenchFigures, ARunsTruthIsItsOwnFirstRiseThroughTheLevel) {
    using sim::Crossing;
    using sim::Quantity;
    const std::vector<Crossing> seen{
        {Quantity::engineSpeed, 2000, true, 1000},  // an earlier run
        {Quantity::engineSpeed, 5500, true, 4000},
        {Quantity::engineSpeed, 5500, false, 4500},  // on the way back down
        {Quantity::engineSpeed, 2000, false, 6000},
        {Quantity::engineSpeed, 2000, true, 9000},  // this run
        {Quantity::engineSpeed, 5500, true, 12500},
        {Quantity::engineSpeed, 2000, true, 20000},  // a later rise
    };
    EXPECT_EQ(firstRisingAfter(seen, 2000, 8000), 9000);
    EXPECT_EQ(firstRisingAfter(seen, 5500, 8000), 12500);
    EXPECT_EQ(firstRisingAfter(seen, 2000, 0), 1000);
    EXPECT_EQ(firstRisingAfter(seen, 5500, 13000), std::nullopt);
    EXPECT_EQ(firstRisingAfter(seen, 3000, 0), std::nullopt);
}

// The exchange runs from the request to the last byte that came: reads that found
// nothing (the receive waiting out its byte time-out) do not move its end.
TEST(BenchFigures, TimedDeviceBoundsTheExchangeByTheLastByteThatCame) {
    platform::FakeClock clock;
    platform::EchoPeer adapter;
    platform::InMemorySerialDevice line(clock, adapter);
    TimedDevice device(line, [&clock] { return static_cast<double>(clock.tickMs()); });
    ASSERT_TRUE(device.open("COM1"));
    ASSERT_TRUE(device.setTimeouts({20, 1, 20}));
    const std::uint8_t request[] = {0x63, 0x9D, 0x0D};
    std::uint8_t back[8];
    EXPECT_EQ(device.exchangeMs(), 0);
    clock.advance(50);
    device.write(request, 3);
    clock.advance(4);
    EXPECT_EQ(device.read(back, 3).count, 3u);
    EXPECT_EQ(device.exchangeMs(), 4);
    const std::uint8_t answer[] = {0x09, 0xF7, 0x0D};
    adapter.answer(answer);
    clock.advance(8);
    EXPECT_EQ(device.read(back, 3).count, 3u);
    EXPECT_EQ(device.read(back, 1).count, 0u);  // waits out its 21 ms, finds nothing
    EXPECT_EQ(device.exchangeMs(), 12);
    clock.advance(50);
    device.write(request, 3);
    EXPECT_EQ(device.exchangeMs(), 0) << "the last exchange's answer is no answer to this one";
}

TEST(BenchFigures, TimedDeviceKeepsWhyTheDeviceFailedToOpen) {
    platform::FakeClock clock;
    platform::EchoPeer adapter;
    platform::InMemorySerialDevice line(clock, adapter);
    line.missingPaths.push_back("COM2");
    TimedDevice device(line, [] { return 0.0; });
    EXPECT_FALSE(device.open("COM2"));
    EXPECT_EQ(device.openFailure().cause, platform::OpenFailureCause::notFound);
    EXPECT_TRUE(device.open("COM1"));
    EXPECT_FALSE(device.openFailure().failed());
}

}  // namespace
}  // namespace ecuprobe::bench
