// The chart of saved runs side by side: the levels the runs were most likely set
// to, and the lanes drawn from their samples.
#include <gtest/gtest.h>

#include "review/run_plot.h"

namespace ecuprobe::review {
namespace {

struct RoundCase {
    std::int64_t low;
    std::int64_t high;
    std::int64_t roundest;
};

TEST(RunPlot, TakesTheRoundestNumberInARange) {
    const RoundCase cases[] = {
        {1881, 2080, 2000}, {5361, 5560, 5500}, {5401, 5480, 5450},
        {19, 20, 20},       {21, 24, 21},       {-35, -21, -30},
        {7, 7, 7},          {990, 1010, 1000},  {4961, 5000, 5000},
    };
    for (const RoundCase& c : cases) {
        EXPECT_EQ(roundestIn(c.low, c.high), c.roundest) << c.low << ".." << c.high;
    }
}

measure::TestSample sample(std::int32_t freq, std::int32_t spd, std::uint32_t tick) {
    measure::TestSample s;
    s.filled = 1;
    s.freq = freq;
    s.spd = spd;
    s.tick = tick;
    return s;
}

// One sample every 50 ms through the watched values; the other value as given.
SampleRun runOf(const console::RunDescriptor& test, std::vector<std::int32_t> values,
                std::int32_t other = 0) {
    SampleRun run;
    run.test = &test;
    std::uint32_t tick = 0xFFFFFFE0u;  // the tick count wraps during the run
    for (const std::int32_t value : values) {
        run.samples.push_back(test.watchesSpeed ? sample(other, value, tick)
                                                : sample(value, other, tick));
        tick += 50;
    }
    return run;
}

struct LevelCase {
    const char* name;
    std::vector<SampleRun> runs;
    std::int64_t start;
    std::int64_t end;
};

TEST(RunPlot, FindsTheLevelsEveryRunAllows) {
    const LevelCase cases[] = {
        {"RunUp", {runOf(console::dynamicRun, {2080, 2280, 5360, 5560})}, 2000, 5500},
        {"RunUpsAgreeOnTheLevelBetweenThem",
         {runOf(console::dynamicRun, {2040, 3000, 5200, 5460}),
          runOf(console::dynamicRun, {2000, 3000, 5400, 5480})},
         2000,
         5450},
        {"CoastDown", {runOf(console::lossRun, {4960, 4000, 2040, 1960})}, 5000, 2000},
        {"Acceleration", {runOf(console::accelerationRun, {20, 22, 79, 81}, 2000)}, 20, 80},
        {"Braking", {runOf(console::accelerationRun, {80, 70, 21, 19}, 2000)}, 80, 20},
    };
    for (const LevelCase& c : cases) {
        const LikelyLevels levels = likelyLevels(c.runs);
        EXPECT_EQ(levels.start, c.start) << c.name;
        EXPECT_EQ(levels.end, c.end) << c.name;
    }
}

TEST(RunPlot, DrawsTheWatchedValueFromTheFirstSampleAndTheOtherWhereARunHasIt) {
    const std::vector<SampleRun> standing{runOf(console::dynamicRun, {2080, 3000, 5560}),
                                          runOf(console::dynamicRun, {2040, 5520})};
    const ComparisonPlot alone = comparisonPlot(standing);
    ASSERT_EQ(alone.lanes.size(), 1u) << "a standing car has no speed to draw";
    EXPECT_EQ(alone.lanes[0].unit, "об/мин");
    ASSERT_EQ(alone.lanes[0].runs.size(), 2u);
    EXPECT_DOUBLE_EQ(alone.lanes[0].runs[0][0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(alone.lanes[0].runs[0][2].seconds, 0.1) << "across the tick count's wrap";
    EXPECT_DOUBLE_EQ(alone.lastSeconds, 0.1);
    ASSERT_TRUE(alone.lanes[0].levels);

    const std::vector<SampleRun> road{runOf(console::accelerationRun, {20, 50, 80}, 2400)};
    const ComparisonPlot both = comparisonPlot(road);
    ASSERT_EQ(both.lanes.size(), 2u);
    EXPECT_EQ(both.lanes[0].unit, "км/ч");
    EXPECT_EQ(both.lanes[1].unit, "об/мин");
    EXPECT_FALSE(both.lanes[1].levels) << "the levels belong to the watched value";
    EXPECT_DOUBLE_EQ(both.lanes[1].runs[0][1].value, 2400);
}

}  // namespace
}  // namespace ecuprobe::review
