// How fast the measured tests sample and how close their durations come to the
// truth, on a native paced line and through emulated USB adapters: the dynamic
// test's run-up against the simulated engine, served on a pseudo-terminal at
// 9600 bit/s in real time, repeated from random phases of the engine.
//
//   sampling_bench [--runs N] [--seed S]
#include <cstdio>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "run_up_line.h"

namespace {

using namespace ecuprobe::bench;

// One sample: 50 ms paced, then the request 63 9D 0D with its echo and the
// seven data bytes of the answer with its checksum and terminator, 10 bits a
// byte at 9600 bit/s.
constexpr double pacingMs = 50;
constexpr double lineExchangeMs = (3 + 9) * 10.0 / 9.6;
constexpr double lineLimitPerSecond = 1000.0 / (pacingMs + lineExchangeMs);
constexpr int defaultRuns = 7;
constexpr int maxRuns = 1000;

struct Column {
    Adapter adapter;
    RunUpFigures figures;
};

void printRow(const char* label, const char* limit, const std::vector<Column>& columns,
              const std::vector<double> RunUpFigures::*figure, int decimals) {
    std::printf("%-26s %-14s", label, limit);
    for (const Column& c : columns) {
        const std::string cell = c.figures.unavailable.empty()
                                     ? spreadText(spreadOf(c.figures.*figure), decimals)
                                     : "n/a";
        std::printf(" %-24s", cell.c_str());
    }
    std::printf("\n");
}

std::vector<double> shareOfLimit(const std::vector<double>& perSecond) {
    std::vector<double> shares;
    for (double rate : perSecond) {
        shares.push_back(100.0 * rate / lineLimitPerSecond);
    }
    return shares;
}

void printTable(std::vector<Column>& columns) {
    std::printf("%-26s %-14s", "", "line limit");
    for (const Column& c : columns) {
        std::printf(" %-24s", c.adapter.name.c_str());
    }
    std::printf("\n");
    char exchange[16];
    char rate[16];
    std::snprintf(exchange, sizeof exchange, "%.1f", lineExchangeMs);
    std::snprintf(rate, sizeof rate, "%.2f", lineLimitPerSecond);
    printRow("exchange, ms", exchange, columns, &RunUpFigures::exchangeMs, 1);
    printRow("samples per second", rate, columns, &RunUpFigures::perSecond, 2);
    for (Column& c : columns) {
        c.figures.perSecond = shareOfLimit(c.figures.perSecond);
    }
    printRow("  of the line limit, %", "100", columns, &RunUpFigures::perSecond, 1);
    printRow("duration error, ms", "one sample", columns, &RunUpFigures::requiredErrorMs, 1);
    printRow("interpolated error, ms", "one sample", columns, &RunUpFigures::interpolatedErrorMs,
             1);
    std::printf("%-26s %-14s", "runs that failed", "");
    for (const Column& c : columns) {
        const std::string failed =
            c.figures.unavailable.empty() ? std::to_string(c.figures.failures.size()) : "n/a";
        std::printf(" %-24s", failed.c_str());
    }
    std::printf("\n");
    for (const Column& c : columns) {
        if (!c.figures.unavailable.empty()) {
            std::printf("%s: not measured, %s\n", c.adapter.name.c_str(),
                        c.figures.unavailable.c_str());
        }
        for (const std::string& failure : c.figures.failures) {
            std::printf("%s: a run failed: %s\n", c.adapter.name.c_str(), failure.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<RunOptions> options =
        runOptions(std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)),
                   defaultRuns, maxRuns, true);
    if (!options) {
        std::fprintf(stderr, "usage: sampling_bench [--runs N (1-%d)] [--seed S]\n", maxRuns);
        return 2;
    }
    const std::uint64_t seed = options->seed.value_or(std::random_device()());
    std::printf(
        "Dynamic test, run-up 2000-5500 rpm at 9600 bit/s: %d runs a line from random phases, "
        "seed %llu\n",
        options->runs, static_cast<unsigned long long>(seed));
    std::printf(
        "Each cell: median [lowest .. highest]; the exchange over every steady poll, the rest "
        "one figure a run.\nErrors are against the simulator's true crossings; the line limit "
        "allows one sample (%.1f ms).\n\n",
        pacingMs + lineExchangeMs);
    std::vector<Column> columns{
        {{"native paced", 0}, {}}, {{"FTDI 16 ms", 16}, {}}, {{"FTDI 1 ms", 1}, {}}};
    std::mt19937_64 random(seed);
    for (Column& c : columns) {
        c.figures = measureRunUps(c.adapter, options->runs, random);
    }
    printTable(columns);
    return 0;
}
