#pragma once

#include <QChartView>

#include "console/run_curve.h"

class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace ecuprobe::ui {

// The chart under a test dialog's results: the watched value of the last run
// that ended Ok against time, its recorded samples marked, the start and end
// levels as dashed lines and the interpolated crossings as points on them. Its
// title tells the result field's duration (between the samples that met the
// levels) from the one between the interpolated crossings.
class TestRunChart final : public QChartView {
    Q_OBJECT

public:
    // The watched value's name and unit: "Обороты", "об/мин"; the caption of the
    // result field that holds the run's duration: "Время разгона(сек.):".
    TestRunChart(const QString& valueName, const QString& unit, const QString& durationCaption,
                 QWidget* parent);

    // Before any run: the levels typed in, on round axes.
    void showLevels(double startAt, double endAt);
    void showRun(const console::RunCurve& curve);
    // Forgets the shown run: a new one has started.
    void clear();
    const console::RunCurve& shownRun() const { return curve; }

private:
    void placeAxes();

    QString durationName;
    console::RunCurve curve;
    QLineSeries* values;
    QLineSeries* startLevel;
    QLineSeries* endLevel;
    QScatterSeries* crossings;
    QValueAxis* timeAxis;
    QValueAxis* valueAxis;
};

}  // namespace ecuprobe::ui
