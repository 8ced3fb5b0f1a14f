#pragma once

#include <span>
#include <string>
#include <vector>

#include "review/run_figures.h"

namespace ecuprobe::review {

// Runs side by side as text: the first column names the figure, then a column
// per run, each run after the first followed by its Δ and Δ % to the first run.
// The terminal, the window and the printed page show this same table.
struct FigureTable {
    std::vector<std::string> header;  // "Показатель", the runs' names, "Δ", "Δ %"
    std::vector<std::string> dates;   // "Дата", the runs' dates, blanks under the Δ columns
    std::vector<std::vector<std::string>> rows;
    // Which columns hold a run (as opposed to the caption and the Δ columns): the
    // run's index, or -1.
    std::vector<int> runOfColumn;
};

// names and dates: one per run of the comparison.
FigureTable figureTable(const Comparison& comparison, std::span<const std::string> names,
                        std::span<const std::string> dates);

}  // namespace ecuprobe::review
