#include "ui/run_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

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

}  // namespace

TestRunChart::TestRunChart(const QString& valueName, const QString& unit, QWidget* parent)
    : QChartView(new QChart, parent),
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
    valueAxis->setLabelFormat(QStringLiteral("%.0f"));
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
    drawn->setTitle(QStringLiteral("Тест ещё не проводился"));
    setMinimumHeight(fontMetrics().lineSpacing() * 16);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 70);
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
    if (curve.startSeconds && curve.endSeconds) {
        chart()->setTitle(QStringLiteral("Между пересечениями уровней: %1 с")
                              .arg(secondsText(*curve.endSeconds - *curve.startSeconds)));
    } else {
        chart()->setTitle(QStringLiteral("Пересечения уровней не определены"));
    }
    placeAxes();
}

void TestRunChart::placeAxes() {
    double first = 0;
    double last = 1;
    double low = std::min(curve.startLevel, curve.endLevel);
    double high = std::max(curve.startLevel, curve.endLevel);
    if (!curve.points.empty()) {
        first = std::min(first, curve.points.front().seconds);
        last = std::max(first + 0.1, curve.points.back().seconds);
    }
    // Room for the markers on the first and last samples.
    const double border = (last - first) * 0.03;
    first -= border;
    last += border;
    for (const console::RunCurve::Point& point : curve.points) {
        low = std::min(low, point.value);
        high = std::max(high, point.value);
    }
    startLevel->replace({QPointF(first, curve.startLevel), QPointF(last, curve.startLevel)});
    endLevel->replace({QPointF(first, curve.endLevel), QPointF(last, curve.endLevel)});
    const double margin = std::max((high - low) * 0.05, 1.0);
    timeAxis->setRange(first, last);
    valueAxis->setRange(low - margin, high + margin);
    valueAxis->applyNiceNumbers();
}

}  // namespace ecuprobe::ui
