#include "review/log_view.h"

#include <algorithm>
#include <cmath>

#include "console/live_fields.h"
#include "console/live_history.h"

namespace ecuprobe::review {

std::deque<console::LivePoint> columnPoints(const DriveLogTable& log, std::size_t column) {
    std::deque<console::LivePoint> points;
    if (column >= log.columns.size()) {
        return points;
    }
    const std::vector<double>& values = log.columns[column];
    const std::size_t rows = std::min(values.size(), log.time.size());
    for (std::size_t row = 0; row < rows; ++row) {
        if (!std::isnan(values[row])) {
            points.push_back({log.time[row], values[row]});
        }
    }
    // The recorder writes in time order; a log edited by hand may not be, and the
    // chart looks points up by time.
    const auto earlier = [](const console::LivePoint& a, const console::LivePoint& b) {
        return a.seconds < b.seconds;
    };
    if (!std::is_sorted(points.begin(), points.end(), earlier)) {
        std::stable_sort(points.begin(), points.end(), earlier);
    }
    return points;
}

std::string columnCaption(std::string_view fieldName) {
    for (const console::LiveField& field : console::liveFields()) {
        if (field.name == fieldName && field.control != 0) {
            const std::string caption = console::chartName(field.control);
            // Some captions name the field already ("Воздух/топливо (VALF)").
            return caption.find(fieldName) != std::string::npos
                       ? caption
                       : caption + " (" + std::string(fieldName) + ")";
        }
    }
    return std::string(fieldName);
}

LogSpan::LogSpan(double firstSeconds, double lastSeconds)
    : first(firstSeconds),
      last(std::max(lastSeconds, firstSeconds + narrowestSeconds)),
      shownFrom(first),
      shownTo(last) {}

bool LogSpan::wholeLog() const {
    return shownFrom <= first && shownTo >= last;
}

void LogSpan::zoom(double factor, double around) {
    if (!(factor > 0)) {
        return;
    }
    const double wanted = std::clamp(width() * factor, narrowestSeconds, last - first);
    const double at = std::clamp(around, shownFrom, shownTo);
    const double share = (at - shownFrom) / width();
    shownTo = shownFrom + wanted;
    panTo(at - share * wanted);
}

void LogSpan::panTo(double fromSeconds) {
    const double shown = width();
    shownFrom = std::clamp(fromSeconds, first, last - shown);
    shownTo = shownFrom + shown;
}

void LogSpan::showAll() {
    shownFrom = first;
    shownTo = last;
}

}  // namespace ecuprobe::review
