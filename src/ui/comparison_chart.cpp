#include "ui/comparison_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

#include "console/chart_scale.h"

namespace ecuprobe::ui {

namespace {

// Apart from each other on the screen and in grey print alike.
constexpr std::array<QRgb, 8> runColours{0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd,
                                         0xff7f0e, 0x8c564b, 0x17becf, 0x7f7f7f};

QString tickText(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QString::number(value, 'f', decimals);
}

// What one paint needs of the device: the font's measures there.
struct Frame {
    QPainter& painter;
    const ChartLook& look;
    QFontMetricsF metrics;
    qreal line;
};

std::vector<QRectF> legendBoxes(const Frame& f, const std::vector<LegendEntry>& legend,
                                const QRectF& area) {
    std::vector<QRectF> boxes;
    qreal x = area.left();
    qreal y = 0;
    for (const LegendEntry& entry : legend) {
        const qreal width =
            f.line * 2.5 + f.metrics.horizontalAdvance(entry.name + "  " + entry.date);
        if (x > area.left() && x + width > area.right()) {
            x = area.left();
            y += f.line * 1.2;
        }
        boxes.emplace_back(x, y, width, f.line);
        x += width + f.line * 1.5;
    }
    return boxes;
}

void paintLegend(const Frame& f, const std::vector<LegendEntry>& legend,
                 const std::vector<QRectF>& boxes, qreal top) {
    for (std::size_t i = 0; i < legend.size(); ++i) {
        const QRectF box = boxes[i].translated(0, top);
        const qreal mid = box.center().y();
        f.painter.setPen(QPen(runColour(i), f.look.lineWidth * 2.5));
        f.painter.drawLine(QPointF(box.left(), mid), QPointF(box.left() + f.line * 2, mid));
        f.painter.setPen(f.look.text);
        f.painter.drawText(box.adjusted(f.line * 2.5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           legend[i].name + "  " + legend[i].date);
    }
}

console::AxisScale valueScale(const review::PlotLane& lane, int maxTicks) {
    double low = 0;
    double high = 0;
    bool any = false;
    const auto take = [&](double value) {
        low = any ? std::min(low, value) : value;
        high = any ? std::max(high, value) : value;
        any = true;
    };
    for (const auto& points : lane.runs) {
        for (const review::PlotLane::Point& point : points) {
            take(point.value);
        }
    }
    if (lane.levels) {
        take(static_cast<double>(lane.levels->start));
        take(static_cast<double>(lane.levels->end));
    }
    const double margin = (high - low) * 0.04;
    return console::roundScale(low - margin, high + margin, maxTicks);
}

struct Axes {
    console::AxisScale time;
    console::AxisScale value;
    QRectF plot;
    QPointF at(double seconds, double reading) const {
        return {plot.left() + (seconds - time.low) / (time.high - time.low) * plot.width(),
                plot.bottom() - (reading - value.low) / (value.high - value.low) * plot.height()};
    }
};

void paintLevel(const Frame& f, const Axes& axes, double level, const QColor& colour,
                const QString& caption) {
    const QPointF left = axes.at(axes.time.low, level);
    f.painter.setPen(QPen(colour, f.look.lineWidth, Qt::DashLine));
    f.painter.drawLine(left, QPointF(axes.plot.right(), left.y()));
    const QString text = caption + QString::number(level);
    f.painter.drawText(
        QRectF(axes.plot.left(), left.y() - f.line, axes.plot.width() - f.line / 2, f.line),
        Qt::AlignRight | Qt::AlignBottom, text);
}

// The value labels go between labelsLeft and the plot.
void paintGrid(const Frame& f, const Axes& axes, qreal labelsLeft) {
    const QRectF& plot = axes.plot;
    for (const double tick : axes.value.ticks()) {
        const qreal y = axes.at(axes.time.low, tick).y();
        f.painter.setPen(QPen(f.look.grid, f.look.lineWidth, Qt::DotLine));
        f.painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        f.painter.setPen(f.look.text);
        f.painter.drawText(
            QRectF(labelsLeft, y - f.line / 2, plot.left() - labelsLeft - f.line / 3, f.line),
            Qt::AlignRight | Qt::AlignVCenter, tickText(tick, axes.value.step));
    }
    for (const double tick : axes.time.ticks()) {
        const qreal x = axes.at(tick, axes.value.low).x();
        f.painter.setPen(QPen(f.look.grid, f.look.lineWidth, Qt::DotLine));
        f.painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    f.painter.setPen(QPen(f.look.frame, f.look.lineWidth));
    f.painter.drawRect(plot);
}

void paintLane(const Frame& f, const review::PlotLane& lane, const console::AxisScale& time,
               const QRectF& area, qreal left) {
    QFont bold = f.look.font;
    bold.setBold(true);
    f.painter.setFont(bold);
    f.painter.setPen(f.look.text);
    f.painter.drawText(QRectF(left, area.top(), area.right() - left, f.line),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromStdString(lane.name + ", " + lane.unit));
    f.painter.setFont(f.look.font);
    const QRectF plot(left, area.top() + f.line * 1.2, area.right() - left,
                      area.height() - f.line * 1.2);
    const int maxTicks = std::clamp(static_cast<int>(plot.height() / (f.line * 2)), 1, 8);
    const Axes axes{time, valueScale(lane, maxTicks), plot};
    paintGrid(f, axes, area.left());
    f.painter.save();
    f.painter.setClipRect(plot);
    if (lane.levels) {
        paintLevel(f, axes, static_cast<double>(lane.levels->start), Qt::darkGreen,
                   QStringLiteral("Начало ≈ "));
        paintLevel(f, axes, static_cast<double>(lane.levels->end), Qt::darkRed,
                   QStringLiteral("Конец ≈ "));
    }
    f.painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t run = 0; run < lane.runs.size(); ++run) {
        QPolygonF curve;
        for (const review::PlotLane::Point& point : lane.runs[run]) {
            curve.append(axes.at(point.seconds, point.value));
        }
        f.painter.setPen(
            QPen(runColour(run), f.look.lineWidth * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        f.painter.drawPolyline(curve);
    }
    f.painter.restore();
}

qreal widestValueLabel(const Frame& f, const review::ComparisonPlot& plot) {
    qreal widest = f.metrics.horizontalAdvance(QStringLiteral("0000"));
    for (const review::PlotLane& lane : plot.lanes) {
        const console::AxisScale scale = valueScale(lane, 8);
        for (const double tick : scale.ticks()) {
            widest = std::max(widest, f.metrics.horizontalAdvance(tickText(tick, scale.step)));
        }
    }
    return widest;
}

void paintTimeAxis(const Frame& f, const console::AxisScale& time, const QRectF& under) {
    f.painter.setPen(f.look.text);
    for (const double tick : time.ticks()) {
        const qreal x = under.left() + (tick - time.low) / (time.high - time.low) * under.width();
        f.painter.drawText(QRectF(x - f.line * 3, under.top(), f.line * 6, f.line),
                           Qt::AlignHCenter | Qt::AlignTop, tickText(tick, time.step));
    }
    f.painter.drawText(QRectF(under.left(), under.top() + f.line, under.width(), f.line),
                       Qt::AlignHCenter | Qt::AlignTop,
                       QStringLiteral("Время от начального уровня, с"));
}

}  // namespace

QColor runColour(std::size_t index) {
    return QColor(runColours[index % runColours.size()]);
}

void paintComparisonChart(QPainter& painter, const QRectF& area, const review::ComparisonPlot& plot,
                          const std::vector<LegendEntry>& legend, const ChartLook& look) {
    painter.save();
    painter.setFont(look.font);
    const QFontMetricsF metrics(look.font, painter.device());
    const Frame f{painter, look, metrics, metrics.height()};
    const std::vector<QRectF> boxes = legendBoxes(f, legend, area);
    const qreal legendHeight = boxes.empty() ? 0 : boxes.back().bottom() + f.line * 0.5;
    const qreal left = area.left() + widestValueLabel(f, plot) + f.line * 0.6;
    // Room on the right for the last time label, centred on the plot's edge.
    const QRectF lanes(area.left(), area.top(), area.width() - f.line,
                       area.height() - legendHeight - f.line * 2.4);
    const int maxTimeTicks = std::clamp(
        static_cast<int>((lanes.right() - left) / (f.metrics.horizontalAdvance("00.0") * 2.5)), 1,
        10);
    const console::AxisScale time =
        console::roundScale(0, std::max(plot.lastSeconds, 0.1), maxTimeTicks);
    const qreal gap = f.line * 0.6;
    qreal top = lanes.top();
    for (std::size_t i = 0; i < plot.lanes.size(); ++i) {
        // The watched value gets the larger share of the height.
        const qreal share = plot.lanes.size() == 1 ? 1.0 : (i == 0 ? 0.62 : 0.38);
        const qreal height =
            (lanes.height() - gap * static_cast<qreal>(plot.lanes.size() - 1)) * share;
        paintLane(f, plot.lanes[i], time, QRectF(area.left(), top, lanes.width(), height), left);
        top += height + gap;
    }
    paintTimeAxis(f, time,
                  QRectF(left, lanes.bottom() + f.line * 0.2, lanes.right() - left, f.line * 2));
    paintLegend(f, legend, boxes, lanes.bottom() + f.line * 2.4);
    painter.restore();
}

ComparisonChart::ComparisonChart(review::ComparisonPlot plot, std::vector<LegendEntry> legend,
                                 QWidget* parent)
    : QWidget(parent), shown(std::move(plot)), entries(std::move(legend)) {
    setObjectName(QStringLiteral("comparisonChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize ComparisonChart::sizeHint() const {
    return {760, 420};
}

QSize ComparisonChart::minimumSizeHint() const {
    return {360, 240};
}

void ComparisonChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const qreal margin = fontMetrics().height() * 0.5;
    paintComparisonChart(painter, QRectF(rect()).adjusted(margin, margin, -margin, -margin), shown,
                         entries,
                         {font(), palette().text().color(), palette().mid().color(),
                          palette().midlight().color(), 1});
}

}  // namespace ecuprobe::ui
