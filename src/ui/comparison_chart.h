#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <vector>

#include "review/run_plot.h"

class QPainter;

namespace ecuprobe::ui {

// How a chart is drawn on one device: the window's palette on the screen, black
// on white in print; sizes in the device's pixels.
struct ChartLook {
    QFont font;
    QColor text;
    QColor frame;
    QColor grid;
    qreal lineWidth = 1;
};

// The colour of run `index` in the chart, the legend and the table alike.
QColor runColour(std::size_t index);

// One line of the legend: the run's file name and date.
struct LegendEntry {
    QString name;
    QString date;
};

// Runs side by side in `area`: one lane per quantity of the plot, each run in its
// colour, the two levels dashed on the watched value's lane (likely ones: the
// files do not keep them), the time axis
// under the lanes and the legend under that. Draws on any device: the window,
// a printer, a PDF or an image.
void paintComparisonChart(QPainter& painter, const QRectF& area, const review::ComparisonPlot& plot,
                          const std::vector<LegendEntry>& legend, const ChartLook& look);

// The chart on the screen.
class ComparisonChart final : public QWidget {
    Q_OBJECT

public:
    ComparisonChart(review::ComparisonPlot plot, std::vector<LegendEntry> legend, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    review::ComparisonPlot shown;
    std::vector<LegendEntry> entries;
};

}  // namespace ecuprobe::ui
