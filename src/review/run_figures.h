#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/run_descriptor.h"
#include "measure/run_sample.h"
#include "review/sample_file.h"

namespace ecuprobe::review {

// A figure a test reports of a run, with the caption, unit and decimals of its
// report line; a line with a value before and after gives two figures.
struct FigureRow {
    std::string caption;
    std::string unit;
    console::Quantity quantity;
    int decimals;
};

// The figures of a test, in the order of its report (the gear, which the samples
// do not hold, left out).
std::vector<FigureRow> figureRows(const console::RunDescriptor& test);

// A saved run's record as the test made it from the same samples: the first and
// last sample's values and the time between them. The test timed the run by two
// clock readings taken next to those samples' own, so the two agree to the
// millisecond.
measure::TestResult recordOf(std::span<const measure::TestSample> samples);

// The figures of one run, in the order of figureRows.
std::vector<double> figureValues(const console::RunDescriptor& test,
                                 const measure::TestResult& record);

// The value as its report line prints it.
std::string figureText(const FigureRow& row, double value);

// Several runs of one test side by side, each with its figures.
struct Comparison {
    const console::RunDescriptor* test = nullptr;
    std::vector<FigureRow> rows;
    std::vector<std::vector<double>> values;  // values[run][row]

    // The run's value less the first run's.
    double delta(std::size_t run, std::size_t row) const;
    // The same as a percentage of the first run's value; none when that is 0.
    std::optional<double> deltaPercent(std::size_t run, std::size_t row) const;
};

// Why runs were not put side by side.
enum class Refusal : std::uint8_t {
    none,
    noRuns,
    otherTest,       // a run of another test than the first
    otherDirection,  // speeding up against slowing down
    otherLevels,     // start or end levels that cannot be the first run's
};

struct CompareOutcome {
    std::optional<Comparison> comparison;
    Refusal refusal = Refusal::none;
    std::size_t refusedRun = 0;  // the run, counted from 0, that did not fit the first
};

// The runs side by side. The files do not keep the levels the runs were set to,
// so each run's levels are narrowed down from its samples (the last sample met
// the end level, the one before it had not; the first met the start level) and
// runs whose ranges cannot hold the same levels are refused.
CompareOutcome compareRuns(std::span<const SampleRun> runs);

std::string_view refusalText(Refusal refusal);

}  // namespace ecuprobe::review
