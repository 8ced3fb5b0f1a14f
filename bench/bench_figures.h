#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ecuprobe::bench {

// A figure over repeated runs: never one run, always where most of them fell and
// how far the rest strayed.
struct Spread {
    double median = 0;
    double low = 0;
    double high = 0;
    std::size_t count = 0;
};

// The median (the mean of the middle two for an even count) and the range;
// nothing for no values.
std::optional<Spread> spreadOf(std::vector<double> values);

// "median [low .. high]" with the given decimals, or "-" for no values.
std::string spreadText(const std::optional<Spread>& spread, int decimals);

// Polls per second from the moments of consecutive polls (ms): the steady rate,
// from the gaps alone, so that what came before the first poll does not count.
// Nothing for fewer than two polls.
std::optional<double> steadyRate(std::span<const double> pollMs);

// Parses a whole decimal count from an option's text; nothing for anything else.
std::optional<std::uint64_t> countOption(const std::string& text);

// What a bench is asked on its command line: `--runs N` (1 to maxRuns) and, for
// one that draws at random, `--seed S`; each at most once, in any order.
struct RunOptions {
    int runs = 0;
    std::optional<std::uint64_t> seed;
};

// Nothing for anything else: an unknown or repeated option, a missing or bad value.
std::optional<RunOptions> runOptions(std::span<const char* const> args, int defaultRuns,
                                     int maxRuns, bool takesSeed);

}  // namespace ecuprobe::bench
