#include "console/chart_scale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ecuprobe::console {
namespace {

struct ScaleCase {
    double low, high;
    int maxTicks;
    AxisScale expected;
};

TEST(ChartScale, EndsAndStepsFallOnRoundNumbers) {
    const ScaleCase cases[] = {
        {813.7, 2950.2, 5, {500, 3000, 500}},
        {0.12, 0.87, 4, {0, 1, 0.5}},
        {-5.3, 12.1, 6, {-10, 15, 5}},
        {13.62, 14.11, 5, {13.6, 14.2, 0.2}},
        {90, 90, 4, {85, 95, 5}},  // a flat value gets a band around it
        {0, 0, 4, {-1, 1, 0.5}},
        {2950, 800, 5, {500, 3000, 500}},  // ends in either order
    };
    for (const ScaleCase& c : cases) {
        const AxisScale scale = roundScale(c.low, c.high, c.maxTicks);
        EXPECT_NEAR(scale.low, c.expected.low, 1e-9) << c.low << ".." << c.high;
        EXPECT_NEAR(scale.high, c.expected.high, 1e-9) << c.low << ".." << c.high;
        EXPECT_NEAR(scale.step, c.expected.step, 1e-9) << c.low << ".." << c.high;
        EXPECT_LE(scale.ticks().size(), static_cast<std::size_t>(c.maxTicks) + 1);
        for (const double tick : scale.ticks()) {
            const double steps = tick / scale.step;
            EXPECT_NEAR(steps, std::round(steps), 1e-6) << tick;
        }
    }
    const std::vector<double> ticks = roundScale(-0.4, 0.4, 4).ticks();
    const double expected[] = {-0.4, -0.2, 0, 0.2, 0.4};
    ASSERT_EQ(ticks.size(), std::size(expected));
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_NEAR(ticks[i], expected[i], 1e-12);
    }
}

TEST(ChartScale, ClockStepsAreWholeSecondsAndMinutes) {
    EXPECT_EQ(roundTimeStepSeconds(60, 6), 10);
    EXPECT_EQ(roundTimeStepSeconds(60, 4), 15);
    EXPECT_EQ(roundTimeStepSeconds(600, 8), 120);
    EXPECT_EQ(roundTimeStepSeconds(300, 10), 30);
    EXPECT_EQ(roundTimeStepSeconds(5, 10), 1);
}

TEST(ChartScale, ThinningKeepsEachColumnsPeaksInTimeOrder) {
    std::deque<LivePoint> points;
    for (int i = 0; i < 1000; ++i) {
        points.push_back({i * 0.6, i == 500 ? 5000.0 : (i == 501 ? -100.0 : 800.0 + i % 7)});
    }
    const std::vector<LivePoint> kept = thinToColumns(points, 0, 600, 100);
    EXPECT_LE(kept.size(), 200u);
    EXPECT_GE(kept.size(), 100u);
    for (std::size_t i = 1; i < kept.size(); ++i) {
        EXPECT_LT(kept[i - 1].seconds, kept[i].seconds);
    }
    const auto has = [&kept](double value) {
        return std::any_of(kept.begin(), kept.end(),
                           [value](const LivePoint& p) { return p.value == value; });
    };
    EXPECT_TRUE(has(5000.0));
    EXPECT_TRUE(has(-100.0));
    // Fewer points than columns pass through whole; those outside the window go.
    EXPECT_EQ(thinToColumns(points, 30, 35.9, 700).size(), 10u);
    EXPECT_TRUE(thinToColumns({}, 0, 600, 700).empty());
    // A point on the window's end that rounding puts on its column's end, and a
    // window of no width: each point is kept once, the walk ends.
    EXPECT_EQ(thinToColumns({{599, 1}, {600, 2}}, 0, 600, 102).size(), 2u);
    EXPECT_EQ(thinToColumns({{5, 1}, {5, 2}}, 5, 5, 10).size(), 2u);
}

TEST(ChartScale, CursorReadsTheNearestSampleWithinReach) {
    const std::deque<LivePoint> points{{10, 800}, {10.6, 820}, {11.2, 850}, {20, 900}};
    EXPECT_EQ(valueNear(points, 10.7, 3), 820);
    EXPECT_EQ(valueNear(points, 11.0, 3), 850);
    EXPECT_EQ(valueNear(points, 9.0, 3), 800);
    EXPECT_EQ(valueNear(points, 25.0, 3), std::nullopt);
    EXPECT_EQ(valueNear(points, 15.6, 3), std::nullopt);  // the ECU was silent there
    EXPECT_EQ(valueNear({}, 10, 3), std::nullopt);
}

}  // namespace
}  // namespace ecuprobe::console
