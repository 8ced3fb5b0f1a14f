#include "review/run_plot.h"

#include <algorithm>
#include <cstdlib>

namespace ecuprobe::review {

namespace {

struct Span {
    std::int64_t low;
    std::int64_t high;
};

std::int64_t watched(const SampleRun& run, std::size_t i) {
    return run.test->watchesSpeed ? run.samples[i].spd : run.samples[i].freq;
}

// Where the start and end levels of one run can lie. Rising, a level was met by
// a sample at or above it after one below it; falling, at or below after one
// above. The look before the first sample is not recorded: it is taken one step
// (the raw step, or the first step the run took, whichever is larger) away.
std::pair<Span, Span> levelSpans(const SampleRun& run) {
    const std::int64_t step = run.test->watchesSpeed ? 1 : 40;
    const std::size_t last = run.samples.size() - 1;
    const std::int64_t first = watched(run, 0);
    const std::int64_t firstStep =
        std::max(step, std::abs(watched(run, std::min<std::size_t>(1, last)) - first));
    const std::int64_t end = watched(run, last);
    const std::int64_t before = last > 0 ? watched(run, last - 1) : end - step;
    const bool rising = run.test->variant == console::RunVariant::rpmRise ||
                        (run.test->variant == console::RunVariant::speedRiseOrFall && end >= first);
    if (rising) {
        return {{first - firstStep + 1, first}, {std::min(before + 1, end), end}};
    }
    return {{first, first + firstStep - 1}, {end, std::max(before - 1, end)}};
}

Span common(const Span& a, const Span& b) {
    const Span both{std::max(a.low, b.low), std::min(a.high, b.high)};
    // Runs the comparison let through within its slack may not share a number:
    // the first run's range then stands.
    return both.low <= both.high ? both : a;
}

PlotLane laneOf(std::span<const SampleRun> runs, bool speed) {
    PlotLane lane{speed ? "Скорость автомобиля" : "Обороты двигателя",
                  speed ? "км/ч" : "об/мин",
                  {},
                  std::nullopt};
    for (const SampleRun& run : runs) {
        std::vector<PlotLane::Point> points;
        const std::uint32_t firstTick = run.samples.empty() ? 0 : run.samples.front().tick;
        for (const measure::TestSample& sample : run.samples) {
            // Unsigned: the distance survives the wrap of the tick count.
            const std::uint32_t sinceMs = sample.tick - firstTick;
            points.push_back({static_cast<double>(sinceMs) / 1000.0,
                              static_cast<double>(speed ? sample.spd : sample.freq)});
        }
        lane.runs.push_back(std::move(points));
    }
    return lane;
}

bool anyNonZero(const PlotLane& lane) {
    return std::any_of(lane.runs.begin(), lane.runs.end(), [](const auto& points) {
        return std::any_of(points.begin(), points.end(),
                           [](const PlotLane::Point& p) { return p.value != 0; });
    });
}

}  // namespace

std::int64_t roundestIn(std::int64_t low, std::int64_t high) {
    std::int64_t best = low;
    // 1, 5, 10, 50, 100, 500...: 5500 is rounder than 5400.
    int step = 0;
    for (std::int64_t unit = 1; unit <= 1'000'000'000; unit *= step++ % 2 == 0 ? 5 : 2) {
        // The first multiple of unit at or above low.
        const std::int64_t rest = ((low % unit) + unit) % unit;
        const std::int64_t candidate = rest == 0 ? low : low + (unit - rest);
        if (candidate > high) {
            break;
        }
        best = candidate;
    }
    return best;
}

LikelyLevels likelyLevels(std::span<const SampleRun> runs) {
    if (runs.empty() || runs.front().test == nullptr || runs.front().samples.empty()) {
        return {};
    }
    auto [start, end] = levelSpans(runs.front());
    for (const SampleRun& run : runs.subspan(1)) {
        if (run.samples.empty() || run.test != runs.front().test) {
            continue;
        }
        const auto [runStart, runEnd] = levelSpans(run);
        start = common(start, runStart);
        end = common(end, runEnd);
    }
    return {roundestIn(start.low, start.high), roundestIn(end.low, end.high)};
}

ComparisonPlot comparisonPlot(std::span<const SampleRun> runs) {
    ComparisonPlot plot;
    if (runs.empty() || runs.front().test == nullptr) {
        return plot;
    }
    const bool speed = runs.front().test->watchesSpeed;
    plot.lanes.push_back(laneOf(runs, speed));
    plot.lanes.front().levels = likelyLevels(runs);
    PlotLane other = laneOf(runs, !speed);
    if (anyNonZero(other)) {
        plot.lanes.push_back(std::move(other));
    }
    for (const auto& points : plot.lanes.front().runs) {
        if (!points.empty()) {
            plot.lastSeconds = std::max(plot.lastSeconds, points.back().seconds);
        }
    }
    return plot;
}

}  // namespace ecuprobe::review
