#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "console/chart_scale.h"
#include "console/panel_controls.h"

namespace ecuprobe::ui {

// The live chart's picture: one lane per value, one above the other, each with
// its own round value scale and unit, over one time axis in clock time. A
// cursor follows the mouse and reads every lane at the same moment.
class LiveLanes final : public QWidget {
    Q_OBJECT

public:
    struct Lane {
        console::ControlId id = 0;
        QString name;
        QString unit;
        QColor colour;
        // In time order; the chart appends the new and drops what left the window.
        std::deque<console::LivePoint> points;
    };

    explicit LiveLanes(QWidget* parent);

    std::vector<Lane>& lanes() { return shownLanes; }
    // The time window, in seconds since the history's first sample, and the
    // calendar time (ms since 1970) of that first sample.
    void setWindow(double fromSeconds, double toSeconds, std::int64_t clockAtZeroMs);
    // Drops the points that have left the time window.
    void dropOld();
    // The time axis and the cursor read the time since the first sample
    // ("1:05:30") rather than the clock: a saved log does not know its clock.
    void setElapsedTime(bool on);

    // The cursor's moment and what it reads; no cursor while nullopt.
    void setCursorSeconds(std::optional<double> seconds);
    std::optional<double> cursorSeconds() const { return cursor; }
    // "12:34:56  Обороты (FREQ): 800 об/мин  ..."; empty without a cursor.
    QString cursorReading() const;
    // The value scale a lane is drawn on.
    console::AxisScale laneScale(const Lane& lane) const;
    QString clockText(double seconds) const;
    // The moment at x (widget pixels), beyond the plot's ends taken at its ends.
    double secondsAtX(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotArea() const;
    int laneHeight() const;
    QRect laneRect(std::size_t index) const;
    int leftMargin() const;
    double xOf(double seconds, const QRect& plot) const;
    QString laneTitle(const Lane& lane) const;
    // The lanes' scales, taken once per paint: the margins depend on them.
    void takeScales();
    void paintLane(QPainter& painter, const Lane& lane, const console::AxisScale& scale,
                   const QRect& area) const;
    void paintTimeAxis(QPainter& painter, const QRect& plot) const;
    void paintCursor(QPainter& painter, const QRect& plot) const;

    std::vector<Lane> shownLanes;
    std::vector<console::AxisScale> scales;
    double from = 0;
    double to = 60;
    std::int64_t clockAtZero = 0;
    bool elapsed = false;
    std::optional<double> cursor;
};

// The colour of the lane at that place: told apart on a grey laptop screen and in print.
QColor laneColour(std::size_t index);

// The window's opening size: 1100×720 where the screen's free area allows,
// never below 900×600 unless the screen itself is smaller.
QSize liveChartOpeningSize(const QSize& available);

}  // namespace ecuprobe::ui
