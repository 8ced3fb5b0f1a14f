#include "console/run_curve.h"

#include <cmath>
#include <cstdint>

namespace ecuprobe::console {

namespace {

// Milliseconds from a tick to a moment of the same run on the millisecond clock,
// which wraps at 2^32; the crossings lie within a sample period of the samples.
double msAfter(std::uint32_t tick, double atMs) {
    constexpr double wrap = 4294967296.0;
    double since = std::fmod(atMs - tick, wrap);
    if (since > wrap / 2) {
        since -= wrap;
    } else if (since < -wrap / 2) {
        since += wrap;
    }
    return since;
}

}  // namespace

RunCurve runCurve(std::span<const measure::TestSample> samples,
                  const measure::CrossingTimes& crossings, const measure::TestResult& record,
                  bool watchesSpeed) {
    RunCurve curve;
    curve.startLevel = record.startLimit;
    curve.endLevel = record.endLimit;
    curve.detectedSeconds = static_cast<double>(record.durationMs) / 1000.0;
    if (samples.empty()) {
        return curve;
    }
    const std::uint32_t firstTick = samples.front().tick;
    const double originMs = crossings.startValid ? msAfter(firstTick, crossings.startMs) : 0.0;
    for (const measure::TestSample& sample : samples) {
        // Unsigned: the distance survives the wrap of the tick count.
        const double sinceFirstMs = static_cast<std::uint32_t>(sample.tick - firstTick);
        curve.points.push_back({(sinceFirstMs - originMs) / 1000.0,
                                static_cast<double>(watchesSpeed ? sample.spd : sample.freq)});
    }
    if (crossings.startValid) {
        curve.startSeconds = 0.0;
    }
    if (crossings.endValid) {
        curve.endSeconds = (msAfter(firstTick, crossings.endMs) - originMs) / 1000.0;
    }
    return curve;
}

}  // namespace ecuprobe::console
