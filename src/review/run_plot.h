#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "review/sample_file.h"

namespace ecuprobe::review {

// The levels a run was most likely set to. The files do not keep them: the first
// sample met the start level and the last the end level, while the samples before
// them had not, so each level lies in a short range, and a person types round
// numbers (2000, 5500 rpm; 20, 80 km/h): the roundest number every run allows.
struct LikelyLevels {
    std::int64_t start = 0;
    std::int64_t end = 0;
};
LikelyLevels likelyLevels(std::span<const SampleRun> runs);

// The roundest whole number in low..high (the lowest of the roundest): a power of
// ten is rounder than five times the power below it, which is rounder than that power.
std::int64_t roundestIn(std::int64_t low, std::int64_t high);

// One quantity of every run against the seconds since its first sample (the one
// that met the start level).
struct PlotLane {
    std::string name;
    std::string unit;
    struct Point {
        double seconds;
        double value;
    };
    std::vector<std::vector<Point>> runs;  // runs[run][sample]
    // The start and end levels, drawn on the watched value's lane only.
    std::optional<LikelyLevels> levels;
};

// The chart of runs side by side: the watched value (rpm for the run-up and the
// coast-down, km/h for the acceleration test) and, where any run has it, the
// other of the two in a second lane.
struct ComparisonPlot {
    std::vector<PlotLane> lanes;
    double lastSeconds = 0;  // the longest run
};
ComparisonPlot comparisonPlot(std::span<const SampleRun> runs);

}  // namespace ecuprobe::review
