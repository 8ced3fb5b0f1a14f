#include "console/run_curve.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "case_names.h"

namespace ecuprobe::console {
namespace {

using ecuprobe::case_names::PrintTo;

struct CurveCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, int>> samples;  // tick and rpm; km/h is rpm / 100
    std::optional<double> startMs;
    std::optional<double> endMs;
    bool speed;
    std::vector<RunCurve::Point> points;
    std::optional<double> endSeconds;
};

class RunCurveOf : public ::testing::TestWithParam<CurveCase> {};

TEST_P(RunCurveOf, CountsSecondsFromTheStartCrossing) {
    const CurveCase& c = GetParam();
    std::vector<measure::TestSample> samples;
    for (const auto& [tick, rpm] : c.samples) {
        samples.push_back({1, rpm, rpm / 100, 0, 0, 0, 0, tick});
    }
    const measure::CrossingTimes crossings{c.startMs.has_value(), c.endMs.has_value(),
                                           c.startMs.value_or(0), c.endMs.value_or(0)};
    measure::TestResult record;
    record.startLimit = 2000;
    record.endLimit = 5500;
    const RunCurve curve = runCurve(samples, crossings, record, c.speed);
    EXPECT_EQ(curve.startLevel, 2000.0);
    EXPECT_EQ(curve.endLevel, 5500.0);
    ASSERT_EQ(curve.points.size(), c.points.size());
    for (std::size_t i = 0; i < c.points.size(); ++i) {
        EXPECT_DOUBLE_EQ(curve.points[i].seconds, c.points[i].seconds) << i;
        EXPECT_EQ(curve.points[i].value, c.points[i].value) << i;
    }
    EXPECT_EQ(curve.startSeconds.has_value(), c.startMs && !samples.empty());
    ASSERT_EQ(curve.endSeconds.has_value(), c.endSeconds.has_value());
    if (c.endSeconds) {
        EXPECT_DOUBLE_EQ(*curve.endSeconds, *c.endSeconds);
    }
}

const std::vector<std::pair<std::uint32_t, int>> runUp{{1000, 2040}, {1060, 3000}, {1120, 5600}};

INSTANTIATE_TEST_SUITE_P(Runs, RunCurveOf,
                         ::testing::Values(CurveCase{"BothCrossingsKnown",
                                                     runUp,
                                                     990.0,
                                                     1110.0,
                                                     false,
                                                     {{0.010, 2040}, {0.070, 3000}, {0.130, 5600}},
                                                     0.120},
                                           CurveCase{"NoCrossingKnownCountsFromTheFirstSample",
                                                     runUp,
                                                     {},
                                                     {},
                                                     false,
                                                     {{0.0, 2040}, {0.060, 3000}, {0.120, 5600}},
                                                     {}},
                                           CurveCase{"TheRoadSpeedWatched",
                                                     runUp,
                                                     990.0,
                                                     1110.0,
                                                     true,
                                                     {{0.010, 20}, {0.070, 30}, {0.130, 56}},
                                                     0.120},
                                           CurveCase{"TheTickCountWrapsDuringTheRun",
                                                     {{4294967290u, 2040}, {54, 3000}},
                                                     4294967280.0,
                                                     4294967326.0,
                                                     false,
                                                     {{0.010, 2040}, {0.070, 3000}},
                                                     0.046},
                                           CurveCase{"NothingRecorded", {}, {}, {}, false, {}, {}}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::console
