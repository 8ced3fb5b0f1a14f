#pragma once

#include <optional>
#include <span>
#include <vector>

#include "measure/run_sampler.h"

namespace ecuprobe::console {

// A run's recorded samples as its chart draws them: the watched value (rpm or
// km/h) against the seconds since the interpolated start crossing (since the
// first sample when that crossing is not known), the two levels and the moments
// the value crossed them.
struct RunCurve {
    struct Point {
        double seconds;
        double value;
        bool operator==(const Point&) const = default;
    };

    std::vector<Point> points;
    double startLevel = 0;
    double endLevel = 0;
    std::optional<double> startSeconds;
    std::optional<double> endSeconds;
    // The run's duration as its result field shows it: from the sample that met
    // the start level to the one that met the end level.
    double detectedSeconds = 0;

    bool operator==(const RunCurve&) const = default;
};

RunCurve runCurve(std::span<const measure::TestSample> samples,
                  const measure::CrossingTimes& crossings, const measure::TestResult& record,
                  bool watchesSpeed);

}  // namespace ecuprobe::console
