#include "bench_figures.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

namespace ecuprobe::bench {

std::optional<Spread> spreadOf(std::vector<double> values) {
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return Spread{median, values.front(), values.back(), n};
}

std::string spreadText(const std::optional<Spread>& spread, int decimals) {
    if (!spread) {
        return "-";
    }
    char text[96];
    std::snprintf(text, sizeof text, "%.*f [%.*f .. %.*f]", decimals, spread->median, decimals,
                  spread->low, decimals, spread->high);
    return text;
}

std::optional<double> steadyRate(std::span<const double> pollMs) {
    if (pollMs.size() < 2 || pollMs.back() <= pollMs.front()) {
        return std::nullopt;
    }
    return static_cast<double>(pollMs.size() - 1) * 1000.0 / (pollMs.back() - pollMs.front());
}

std::optional<std::uint64_t> countOption(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<RunOptions> runOptions(std::span<const char* const> args, int defaultRuns,
                                     int maxRuns, bool takesSeed) {
    RunOptions options{defaultRuns, std::nullopt};
    bool runsGiven = false;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string name = args[i];
        const std::optional<std::uint64_t> value =
            i + 1 < args.size() ? countOption(args[i + 1]) : std::nullopt;
        if (!value) {
            return std::nullopt;
        }
        if (name == "--runs" && !runsGiven && *value >= 1 &&
            *value <= static_cast<std::uint64_t>(maxRuns)) {
            options.runs = static_cast<int>(*value);
            runsGiven = true;
        } else if (name == "--seed" && takesSeed && !options.seed) {
            options.seed = *value;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace ecuprobe::bench
