#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace ecuprobe::console {

struct LivePoint {
    double seconds = 0;  // since the first sample
    double value = 0;
    bool operator==(const LivePoint&) const = default;
};

// An axis whose ends and ticks fall on round numbers (1, 2 or 5 times a power
// of ten), so a mechanic reads 800 or 1000 rather than 813.7.
struct AxisScale {
    double low = 0;
    double high = 1;
    double step = 1;

    std::vector<double> ticks() const;
};

// The round scale that holds low..high with at most maxTicks intervals; a flat
// value gets a band around it rather than a zero-height axis.
AxisScale roundScale(double low, double high, int maxTicks);

// A round step of clock time (1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1 h)
// that divides spanSeconds into at most maxTicks intervals.
double roundTimeStepSeconds(double spanSeconds, int maxTicks);

// The points of fromSeconds..toSeconds thinned to at most two per pixel column
// (the lowest and the highest, in time order), so a drawn line keeps its peaks
// while the drawing stays as cheap as the plot is wide.
std::vector<LivePoint> thinToColumns(const std::deque<LivePoint>& points, double fromSeconds,
                                     double toSeconds, int columns);

// The value of the point nearest in time to seconds, within maxGapSeconds.
std::optional<double> valueNear(const std::deque<LivePoint>& points, double seconds,
                                double maxGapSeconds);

}  // namespace ecuprobe::console
