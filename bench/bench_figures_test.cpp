#include "bench_figures.h"

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

}  // namespace
}  // namespace ecuprobe::bench
