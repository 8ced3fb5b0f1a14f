#include "console/live_history.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "console/live_fields.h"

namespace ecuprobe::console {

namespace {

std::string tenthsOfSeconds(std::uint32_t ms) {
    std::string text = std::to_string(ms / 1000u);
    text += '.';
    text += std::to_string(ms % 1000u / 100u);
    return text;
}

double numberIn(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
        return value;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// The column of a live value in a sample; the list's size for none.
std::size_t columnOf(ControlId id) {
    const auto ids = liveValueControls();
    return static_cast<std::size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

}  // namespace

void LiveHistory::add(std::uint32_t atMs, const PanelSnapshot& snapshot, std::int64_t clockMs) {
    if (samples.empty()) {
        firstMs = atMs;
        firstClockMs = clockMs;
    }
    Sample sample{atMs - firstMs, {}, {}};
    for (const ControlId id : liveValueControls()) {
        sample.texts.push_back(snapshot.text(id));
        sample.values.push_back(numberIn(sample.texts.back()));
    }
    samples.push_back(std::move(sample));
    ++added;
    newestStatus = snapshot.text(control::statusText);
    while (samples.back().sinceFirstMs - samples.front().sinceFirstMs > keep) {
        samples.pop_front();
    }
}

double LiveHistory::newestSeconds() const {
    return samples.empty() ? 0.0 : samples.back().sinceFirstMs / 1000.0;
}

std::int64_t LiveHistory::clockMsAt(double seconds) const {
    return firstClockMs + std::llround(seconds * 1000.0);
}

std::size_t LiveHistory::firstWithin(std::uint32_t spanMs) const {
    std::size_t first = samples.size();
    while (first > 0 && samples.back().sinceFirstMs - samples[first - 1].sinceFirstMs <= spanMs) {
        --first;
    }
    return first;
}

std::vector<LivePoint> LiveHistory::seriesFrom(ControlId id, std::size_t first) const {
    std::vector<LivePoint> points;
    const std::size_t column = columnOf(id);
    if (column == liveValueControls().size()) {
        return points;
    }
    for (std::size_t i = first; i < samples.size(); ++i) {
        const double value = samples[i].values[column];
        if (!std::isnan(value)) {
            points.push_back({samples[i].sinceFirstMs / 1000.0, value});
        }
    }
    return points;
}

std::vector<LivePoint> LiveHistory::series(ControlId id, std::uint32_t spanMs) const {
    return seriesFrom(id, firstWithin(spanMs));
}

std::vector<LivePoint> LiveHistory::seriesAfter(ControlId id, std::uint64_t afterCount) const {
    const std::uint64_t fresh = added - std::min(added, afterCount);
    return seriesFrom(id, samples.size() - std::min<std::size_t>(samples.size(), fresh));
}

std::string LiveHistory::tsv(std::span<const ControlId> ids, std::uint32_t spanMs) const {
    std::string text = "Время, с";
    for (const ControlId id : ids) {
        text += '\t';
        text += chartName(id);
    }
    text += "\n";
    for (std::size_t i = firstWithin(spanMs); i < samples.size(); ++i) {
        text += tenthsOfSeconds(samples[i].sinceFirstMs);
        for (const ControlId id : ids) {
            const std::size_t column = columnOf(id);
            text += '\t';
            if (column < samples[i].texts.size()) {
                text += samples[i].texts[column];
            }
        }
        text += "\n";
    }
    return text;
}

std::string chartName(ControlId id) {
    if (id == control::LAM2) {
        return "Напр. на L-зонде: №2";
    }
    std::string name(caption(id));
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

std::string chartUnit(ControlId id) {
    const LiveField* field = liveFieldFor(id);
    return field == nullptr ? std::string() : std::string(fieldUnit(*field));
}

}  // namespace ecuprobe::console
