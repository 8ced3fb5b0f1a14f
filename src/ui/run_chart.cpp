#include "ui/run_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "console/chart_scale.h"

namespace ecuprobe::ui {

namespace {

QLineSeries* levelLine(const QString& name, const QColor& colour) {
    auto* line = new QLineSeries;
    line->setName(name);
    QPen pen(colour);
    pen.setStyle(Qt::DashLine);
    pen.setWidth(1);
    line->setPen(pen);
    return line;
}

QString secondsText(double seconds) {
    return QString::number(seconds, 'f', 3);
}

// Round ends and ticks at a round interval, labelled with the digits the step needs.
void placeRound(QValueAxis* axis, double low, double high, int maxTicks) {
    const console::AxisScale scale = console::roundScale(low, high, maxTicks);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(scale.step) + 1e-9)));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(scale.step);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f"));
    axis->setRange(scale.low, scale.high);
}

}  // namespace

TestRunChart::TestRunChart(const QString& valueName, const QString& unit,
                           const QString& durationCaption, QWidget* parent)
    : QChartView(new QChart, parent),
      durationName(durationCaption),
      values(new QLineSeries),
      startLevel(levelLine(QStringLiteral("Начало"), Qt::darkGreen)),
      endLevel(levelLine(QStringLiteral("Конец"), Qt::darkRed)),
      crossings(new QScatterSeries),
      timeAxis(new QValueAxis),
      valueAxis(new QValueAxis) {
    setObjectName(QStringLiteral("runChart"));
    setRenderHint(QPainter::Antialiasing);
    values->setName(valueName);
    values->setPointsVisible(true);
    crossings->setName(QStringLiteral("Пересечения"));
    crossings->setMarkerSize(9);
    timeAxis->setTitleText(QStringLiteral("Время от начального уровня, с"));
    valueAxis->setTitleText(valueName + QStringLiteral(", ") + unit);
    while (durationName.endsWith(u':')) {
        durationName.chop(1);
    }
    QChart* drawn = chart();
    drawn->legend()->setAlignment(Qt::AlignBottom);
    drawn->addAxis(timeAxis, Qt::AlignBottom);
    drawn->addAxis(valueAxis, Qt::AlignLeft);
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(values), static_cast<QXYSeries*>(startLevel),
          static_cast<QXYSeries*>(endLevel), static_cast<QXYSeries*>(crossings)}) {
        drawn->addSeries(series);
        series->attachAxis(timeAxis);
        series->attachAxis(valueAxis);
    }
    setMinimumHeight(fontMetrics().lineSpacing() * 22);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 70);
    clear();
}

void TestRunChart::showLevels(double startAt, double endAt) {
    if (!curve.points.empty()) {
        return;
    }
    curve.startLevel = startAt;
    curve.endLevel = endAt;
    placeAxes();
}

void TestRunChart::clear() {
    const double start = curve.startLevel;
    const double end = curve.endLevel;
    curve = {};
    curve.startLevel = start;
    curve.endLevel = end;
    values->clear();
    crossings->clear();
    chart()->setTitle(QStringLiteral("Тест ещё не проводился"));
    placeAxes();
}

void TestRunChart::showRun(const console::RunCurve& run) {
    curve = run;
    QList<QPointF> drawn;
    for (const console::RunCurve::Point& point : curve.points) {
        drawn.append(QPointF(point.seconds, point.value));
    }
    values->replace(drawn);
    QList<QPointF> crossed;
    if (curve.startSeconds) {
        crossed.append(QPointF(*curve.startSeconds, curve.startLevel));
    }
    if (curve.endSeconds) {
        crossed.append(QPointF(*curve.endSeconds, curve.endLevel));
    }
    crossings->replace(crossed);
    startLevel->setName(QStringLiteral("Начало: %1").arg(curve.startLevel));
    endLevel->setName(QStringLiteral("Конец: %1").arg(curve.endLevel));
    // The field counts between the samples that met the levels; the crossings
    // are interpolated between samples, so the two differ by up to a sample period.
    QString title = QStringLiteral("%1: %2 с (по отсчётам на уровнях)")
                        .arg(durationName, QString::number(curve.detectedSeconds, 'g', 6));
    if (curve.startSeconds && curve.endSeconds) {
        title += QStringLiteral("<br>Между интерполированными пересечениями уровней: %1 с")
                     .arg(secondsText(*curve.endSeconds - *curve.startSeconds));
    } else {
        title += QStringLiteral("<br>Пересечения уровней не определены");
    }
    chart()->setTitle(title);
    placeAxes();
}

void TestRunChart::placeAxes() {
    double first = 0;
    double last = curve.points.empty() ? 10 : 1;
    double low = std::min(curve.startLevel, curve.endLevel);
    double high = std::max(curve.startLevel, curve.endLevel);
    if (!curve.points.empty()) {
        first = std::min(first, curve.points.front().seconds);
        last = std::max(first + 0.1, curve.points.back().seconds);
    }
    // Room for the markers on the first and last samples.
    const double border = curve.points.empty() ? 0 : (last - first) * 0.03;
    first -= border;
    last += border;
    for (const console::RunCurve::Point& point : curve.points) {
        low = std::min(low, point.value);
        high = std::max(high, point.value);
    }
    const double margin = std::max((high - low) * 0.05, 1.0);
    placeRound(timeAxis, first, last, 8);
    placeRound(valueAxis, low - margin, high + margin, 6);
    first = timeAxis->min();
    last = timeAxis->max();
    startLevel->replace({QPointF(first, curve.startLevel), QPointF(last, curve.startLevel)});
    endLevel->replace({QPointF(first, curve.endLevel), QPointF(last, curve.endLevel)});
}

}  // namespace ecuprobe::ui
