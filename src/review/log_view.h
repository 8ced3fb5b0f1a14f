#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "console/chart_scale.h"
#include "review/drive_log_file.h"

namespace ecuprobe::review {

// One column of a drive log as chart points in time order, its empty cells (a
// value the ECU did not give in that read) left out.
std::deque<console::LivePoint> columnPoints(const DriveLogTable& log, std::size_t column);

// A column as the console captions the value ("Обороты двиг. (FREQ)"); the
// bare name for one the console does not show.
std::string columnCaption(std::string_view fieldName);

// The stretch of a drive log on screen: zoom and pan never leave the log, and a
// view is never narrower than a few reads.
class LogSpan {
public:
    static constexpr double narrowestSeconds = 5.0;

    // The whole log, firstSeconds..lastSeconds.
    LogSpan(double firstSeconds, double lastSeconds);

    double from() const { return shownFrom; }
    double to() const { return shownTo; }
    double width() const { return shownTo - shownFrom; }
    double logFrom() const { return first; }
    double logTo() const { return last; }
    bool wholeLog() const;

    // factor below 1 zooms in, above 1 out; the moment `around` stays where it is.
    void zoom(double factor, double around);
    // Moves the view to start at fromSeconds, kept within the log.
    void panTo(double fromSeconds);
    void panBy(double seconds) { panTo(shownFrom + seconds); }
    void showAll();

private:
    double first;
    double last;
    double shownFrom;
    double shownTo;
};

}  // namespace ecuprobe::review
