#include "ui/live_lanes.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ecuprobe::ui {

namespace {

// A longer pause between samples (the ECU was silent) is drawn as a gap.
constexpr double gapSeconds = 5.0;
// The cursor reads a lane only from a sample this close to its moment.
constexpr double cursorReachSeconds = 3.0;

QString tickText(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QString::number(value, 'f', decimals);
}

}  // namespace

LiveLanes::LiveLanes(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("lanes"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LiveLanes::setWindow(double fromSeconds, double toSeconds, std::int64_t clockAtZeroMs) {
    from = fromSeconds;
    to = std::max(toSeconds, fromSeconds + 1);
    clockAtZero = clockAtZeroMs;
    update();
}

void LiveLanes::dropOld() {
    for (Lane& lane : shownLanes) {
        // Half a millisecond of slack: the window's start is a difference of seconds.
        while (!lane.points.empty() && lane.points.front().seconds < from - 0.0005) {
            lane.points.pop_front();
        }
    }
}

void LiveLanes::setCursorSeconds(std::optional<double> seconds) {
    cursor = seconds;
    update();
}

void LiveLanes::setElapsedTime(bool on) {
    elapsed = on;
    update();
}

QString LiveLanes::clockText(double seconds) const {
    if (elapsed) {
        const std::int64_t whole = std::llround(std::max(0.0, seconds));
        return QStringLiteral("%1:%2:%3")
            .arg(whole / 3600)
            .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(whole % 60, 2, 10, QLatin1Char('0'));
    }
    return QDateTime::fromMSecsSinceEpoch(clockAtZero + std::llround(seconds * 1000.0))
        .toString(QStringLiteral("HH:mm:ss"));
}

QString LiveLanes::cursorReading() const {
    if (!cursor) {
        return {};
    }
    QString text = clockText(*cursor);
    for (const Lane& lane : shownLanes) {
        const std::optional<double> value =
            console::valueNear(lane.points, *cursor, cursorReachSeconds);
        text += QStringLiteral("   %1: %2")
                    .arg(lane.name, value ? QString::number(*value, 'g', 6) : QStringLiteral("—"));
        if (value && !lane.unit.isEmpty()) {
            text += u' ' + lane.unit;
        }
    }
    return text;
}

QSize LiveLanes::sizeHint() const {
    return {760, 560};
}

QSize LiveLanes::minimumSizeHint() const {
    return {320, 200};
}

int LiveLanes::leftMargin() const {
    int widest = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (const console::AxisScale& scale : scales) {
        for (const double tick : scale.ticks()) {
            widest = std::max(widest, fontMetrics().horizontalAdvance(tickText(tick, scale.step)));
        }
    }
    return widest + 10;
}

QRect LiveLanes::plotArea() const {
    const int line = fontMetrics().height();
    return rect().adjusted(leftMargin(), line / 2,
                           -fontMetrics().horizontalAdvance(QStringLiteral("00:00")) / 2,
                           -(2 * line + 10));
}

int LiveLanes::laneHeight() const {
    const int line = fontMetrics().height();
    const int count = std::max<int>(1, static_cast<int>(shownLanes.size()));
    const int plotHeight = height() - line / 2 - (2 * line + 10);
    return (plotHeight - line / 2 * (count - 1)) / count;
}

QRect LiveLanes::laneRect(std::size_t index) const {
    const QRect plot = plotArea();
    const int top =
        plot.top() + static_cast<int>(index) * (laneHeight() + fontMetrics().height() / 2);
    return {plot.left(), top, plot.width(), laneHeight()};
}

console::AxisScale LiveLanes::laneScale(const Lane& lane) const {
    const int line = fontMetrics().height();
    const int plotHeight = laneHeight() - line - 2;
    const int maxTicks = std::clamp(plotHeight / (2 * line), 1, 8);
    double low = 0;
    double high = 0;
    bool any = false;
    // Only the shown stretch is walked: a saved log holds hours beyond it.
    const auto first =
        std::lower_bound(lane.points.begin(), lane.points.end(), from,
                         [](const console::LivePoint& p, double s) { return p.seconds < s; });
    for (auto at = first; at != lane.points.end() && at->seconds <= to; ++at) {
        const console::LivePoint& point = *at;
        low = any ? std::min(low, point.value) : point.value;
        high = any ? std::max(high, point.value) : point.value;
        any = true;
    }
    return any ? console::roundScale(low, high, maxTicks) : console::roundScale(0, 1, maxTicks);
}

double LiveLanes::xOf(double seconds, const QRect& plot) const {
    return plot.left() + (seconds - from) / (to - from) * plot.width();
}

QString LiveLanes::laneTitle(const Lane& lane) const {
    return lane.unit.isEmpty() ? lane.name : lane.name + QStringLiteral(", ") + lane.unit;
}

void LiveLanes::paintEvent(QPaintEvent*) {
    takeScales();
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = plotArea();
    if (shownLanes.empty()) {
        painter.setPen(palette().placeholderText().color());
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("Отметьте значения в списке слева"));
    }
    paintTimeAxis(painter, plot);
    for (std::size_t i = 0; i < shownLanes.size(); ++i) {
        paintLane(painter, shownLanes[i], scales[i], laneRect(i));
    }
    paintCursor(painter, plot);
}

void LiveLanes::takeScales() {
    scales.clear();
    for (const Lane& lane : shownLanes) {
        scales.push_back(laneScale(lane));
    }
}

void LiveLanes::paintLane(QPainter& painter, const Lane& lane, const console::AxisScale& scale,
                          const QRect& area) const {
    const int line = fontMetrics().height();
    const QRect plot = area.adjusted(0, line + 2, 0, 0);
    const auto yOf = [&](double value) {
        return plot.bottom() - (value - scale.low) / (scale.high - scale.low) * plot.height();
    };
    painter.setPen(palette().mid().color());
    painter.drawRect(plot);
    for (const double tick : scale.ticks()) {
        const double y = yOf(tick);
        painter.setPen(QPen(palette().midlight().color(), 0, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(0, y - line / 2.0, plot.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(tick, scale.step));
    }
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(lane.colour);
    painter.drawText(QRect(area.left() + 4, area.top(), area.width() - 8, line),
                     Qt::AlignLeft | Qt::AlignVCenter, laneTitle(lane));
    painter.setFont(font());
    const std::vector<console::LivePoint> drawn =
        console::thinToColumns(lane.points, from, to, std::max(1, plot.width()));
    painter.setPen(QPen(lane.colour, 0));
    QPolygonF stretch;
    stretch.reserve(static_cast<qsizetype>(drawn.size()));
    for (std::size_t i = 0; i <= drawn.size(); ++i) {
        if (i == drawn.size() || (i > 0 && drawn[i].seconds - drawn[i - 1].seconds > gapSeconds)) {
            painter.drawPolyline(stretch);
            // A second line a pixel lower: as readable as a thick pen at a
            // fraction of the cost of stroking one.
            painter.drawPolyline(stretch.translated(0, 1));
            stretch.clear();
        }
        if (i < drawn.size()) {
            stretch.append(QPointF(xOf(drawn[i].seconds, plot), yOf(drawn[i].value)));
        }
    }
}

void LiveLanes::paintTimeAxis(QPainter& painter, const QRect& plot) const {
    const int line = fontMetrics().height();
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("00:00:00"));
    const double step =
        console::roundTimeStepSeconds(to - from, std::max(1, plot.width() / (labelWidth + 30)));
    // Ticks on round local clock times (12:30:00, 12:30:30), not on the first sample.
    const std::int64_t fromClock = clockAtZero + std::llround(from * 1000.0);
    const std::int64_t offsetMs =
        elapsed
            ? 0
            : static_cast<std::int64_t>(QDateTime::fromMSecsSinceEpoch(fromClock).offsetFromUtc()) *
                  1000;
    const auto stepMs = static_cast<std::int64_t>(step * 1000);
    std::int64_t tick = ((fromClock + offsetMs + stepMs - 1) / stepMs) * stepMs - offsetMs;
    for (; tick <= clockAtZero + std::llround(to * 1000.0); tick += stepMs) {
        const double seconds = static_cast<double>(tick - clockAtZero) / 1000.0;
        const double x = xOf(seconds, plot);
        painter.setPen(QPen(palette().midlight().color(), 0, Qt::DotLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(x - labelWidth, plot.bottom() + 4, 2 * labelWidth, line),
                         Qt::AlignHCenter | Qt::AlignTop, clockText(seconds));
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + 6 + line, plot.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Время"));
}

void LiveLanes::paintCursor(QPainter& painter, const QRect& plot) const {
    if (!cursor || shownLanes.empty()) {
        return;
    }
    const double x = xOf(*cursor, plot);
    painter.setPen(QPen(palette().text().color(), 0, Qt::DashLine));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    const int line = fontMetrics().height();
    for (std::size_t i = 0; i < shownLanes.size(); ++i) {
        const Lane& lane = shownLanes[i];
        const std::optional<double> value =
            console::valueNear(lane.points, *cursor, cursorReachSeconds);
        QString text = value ? QString::number(*value, 'g', 6) : QStringLiteral("—");
        if (value && !lane.unit.isEmpty()) {
            text += u' ' + lane.unit;
        }
        const QRect area = laneRect(i);
        const int width = fontMetrics().horizontalAdvance(text) + 8;
        const double left = x + 4 + width > area.right() ? x - 4 - width : x + 4;
        const QRectF box(left, area.top() + line + 4, width, line + 2);
        painter.fillRect(box, palette().toolTipBase());
        painter.setPen(lane.colour);
        painter.drawText(box, Qt::AlignCenter, text);
    }
    const QString time = clockText(*cursor);
    const int width = fontMetrics().horizontalAdvance(time) + 8;
    const QRectF box(x - width / 2.0, plot.bottom() + 3, width, line + 2);
    painter.fillRect(box, palette().toolTipBase());
    painter.setPen(palette().toolTipText().color());
    painter.drawText(box, Qt::AlignCenter, time);
}

void LiveLanes::mouseMoveEvent(QMouseEvent* event) {
    const QRect plot = plotArea();
    const double x = event->position().x();
    if (x < plot.left() || x > plot.right() || shownLanes.empty()) {
        setCursorSeconds(std::nullopt);
        return;
    }
    setCursorSeconds(secondsAtX(x));
}

double LiveLanes::secondsAtX(double x) const {
    const QRect plot = plotArea();
    const double share = std::clamp((x - plot.left()) / std::max(1, plot.width()), 0.0, 1.0);
    return from + share * (to - from);
}

void LiveLanes::leaveEvent(QEvent*) {
    setCursorSeconds(std::nullopt);
}

QColor laneColour(std::size_t index) {
    static const QColor colours[] = {QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x39, 0x2b),
                                     QColor(0x1e, 0x8c, 0x3a), QColor(0x8e, 0x44, 0xad),
                                     QColor(0xd3, 0x7a, 0x00), QColor(0x00, 0x8b, 0x8b),
                                     QColor(0x6d, 0x4c, 0x41), QColor(0x44, 0x44, 0x44)};
    return colours[index % std::size(colours)];
}

QSize liveChartOpeningSize(const QSize& available) {
    const QSize wanted(1100, 720);
    return wanted.boundedTo(available).expandedTo(QSize(900, 600).boundedTo(available));
}

}  // namespace ecuprobe::ui
