#include "console/chart_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace ecuprobe::console {

namespace {

double roundStep(double range, int maxTicks) {
    const double rough = range / std::max(maxTicks, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough * (1 - 1e-9)) {
            return factor * power;
        }
    }
    return 10 * power;
}

}  // namespace

std::vector<double> AxisScale::ticks() const {
    std::vector<double> at;
    // Whole multiples of the step, so -0.4 + 0.2 does not drift to -0.2000001.
    const auto first = std::lround(low / step);
    const auto last = std::lround(high / step);
    for (auto k = first; k <= last; ++k) {
        at.push_back(k == 0 ? 0.0 : static_cast<double>(k) * step);
    }
    return at;
}

AxisScale roundScale(double low, double high, int maxTicks) {
    if (!std::isfinite(low) || !std::isfinite(high)) {
        return {};
    }
    if (high < low) {
        std::swap(low, high);
    }
    if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
        const double band = std::max(1.0, std::abs(high) * 0.05);
        low -= band;
        high += band;
    }
    const double step = roundStep(high - low, maxTicks);
    AxisScale scale{std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step,
                    step};
    if ((scale.high - scale.low) / step > std::max(maxTicks, 1) + 0.5) {
        return roundScale(scale.low, scale.high, maxTicks);
    }
    return scale;
}

double roundTimeStepSeconds(double spanSeconds, int maxTicks) {
    static constexpr double steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
    for (const double step : steps) {
        if (spanSeconds / step <= std::max(maxTicks, 1)) {
            return step;
        }
    }
    return steps[std::size(steps) - 1];
}

std::vector<LivePoint> thinToColumns(const std::deque<LivePoint>& points, double fromSeconds,
                                     double toSeconds, int columns) {
    std::vector<LivePoint> kept;
    kept.reserve(std::min(points.size(), 2 * static_cast<std::size_t>(std::max(columns, 1)) + 2));
    const double width = (toSeconds - fromSeconds) / std::max(columns, 1);
    auto at = std::lower_bound(points.begin(), points.end(), fromSeconds,
                               [](const LivePoint& p, double s) { return p.seconds < s; });
    while (at != points.end() && at->seconds <= toSeconds) {
        const double columnEnd =
            fromSeconds + (std::floor((at->seconds - fromSeconds) / width) + 1) * width;
        auto low = at;
        auto high = at;
        // The first point is its column's own even where rounding puts the column's
        // end on it (600 s over 102 columns): every column takes at least one.
        for (++at; at != points.end() && at->seconds < columnEnd && at->seconds <= toSeconds;
             ++at) {
            low = at->value < low->value ? at : low;
            high = at->value > high->value ? at : high;
        }
        kept.push_back(low->seconds <= high->seconds ? *low : *high);
        if (low != high) {
            kept.push_back(low->seconds <= high->seconds ? *high : *low);
        }
    }
    return kept;
}

std::optional<double> valueNear(const std::deque<LivePoint>& points, double seconds,
                                double maxGapSeconds) {
    auto after = std::lower_bound(points.begin(), points.end(), seconds,
                                  [](const LivePoint& p, double s) { return p.seconds < s; });
    auto nearest = after;
    if (after == points.end() || (after != points.begin() &&
                                  seconds - std::prev(after)->seconds < after->seconds - seconds)) {
        if (after == points.begin()) {
            return std::nullopt;
        }
        nearest = std::prev(after);
    }
    if (std::abs(nearest->seconds - seconds) > maxGapSeconds) {
        return std::nullopt;
    }
    return nearest->value;
}

}  // namespace ecuprobe::console
