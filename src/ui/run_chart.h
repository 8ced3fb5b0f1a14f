#pragma once

#include <QChartView>

#include "console/run_curve.h"

class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace ecuprobe::ui {

// The chart under a test dialog's results: the watched value of the last run
// that ended Ok against time, its recorded samples marked, the start and end
// levels as dashed lines and the interpolated crossings as points on them.
class TestRunChart final : public QChartView {
    Q_OBJECT

public:
    // The watched value's name and unit: "Обороты", "об/мин".
    TestRunChart(const QString& valueName, const QString& unit, QWidget* parent);

    void showRun(const console::RunCurve& curve);
    const console::RunCurve& shownRun() const { return curve; }

private:
    void placeAxes();

    console::RunCurve curve;
    QLineSeries* values;
    QLineSeries* startLevel;
    QLineSeries* endLevel;
    QScatterSeries* crossings;
    QValueAxis* timeAxis;
    QValueAxis* valueAxis;
};

}  // namespace ecuprobe::ui
