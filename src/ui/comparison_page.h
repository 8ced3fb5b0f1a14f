#pragma once

#include <QString>

#include <vector>

#include "review/figure_table.h"
#include "review/run_notes.h"
#include "review/run_plot.h"
#include "ui/comparison_chart.h"

class QPainter;
class QRectF;

namespace ecuprobe::ui {

// A saved run as the comparison names it: its file's name (with "#2" for a file's
// second table) and what the tester dump beside it says of it.
struct ComparedRun {
    QString name;
    review::SampleRun run;
    review::RunNotes notes;
};

// Everything a comparison shows, on the screen and on paper alike.
struct ComparisonContent {
    const console::RunDescriptor* test = nullptr;
    std::vector<ComparedRun> runs;
    review::FigureTable table;
    review::ComparisonPlot plot;

    QString title() const;
    std::vector<LegendEntry> legend() const;
    // The identity of the first run the dump tells it for: the runs compared are
    // of one car as a rule, and the page has room for one.
    const std::vector<std::string>* identity() const;
};

// Runs that compareRuns let through, with their comparison.
ComparisonContent comparisonContent(std::vector<ComparedRun> runs,
                                    const review::Comparison& comparison);

// One A4 page: the title, the ECU and car identity where the dump has it, each
// run's file, date and comment, the figures table and the chart. `page` is the
// device's whole page in its own pixels.
void paintComparisonPage(QPainter& painter, const QRectF& page, const ComparisonContent& content);

}  // namespace ecuprobe::ui
