#include "console/live_history.h"

#include <charconv>

namespace ecuprobe::console {

namespace {

std::string tenthsOfSeconds(std::uint32_t ms) {
    std::string text = std::to_string(ms / 1000u);
    text += '.';
    text += std::to_string(ms % 1000u / 100u);
    return text;
}

}  // namespace

void LiveHistory::add(std::uint32_t atMs, const PanelSnapshot& snapshot) {
    if (samples.empty()) {
        firstMs = atMs;
    }
    Sample sample{atMs - firstMs, {}};
    for (const ControlId id : liveValueControls()) {
        sample.texts[id] = snapshot.text(id);
    }
    samples.push_back(std::move(sample));
    while (samples.back().sinceFirstMs - samples.front().sinceFirstMs > keep) {
        samples.pop_front();
    }
}

double LiveHistory::newestSeconds() const {
    return samples.empty() ? 0.0 : samples.back().sinceFirstMs / 1000.0;
}

std::size_t LiveHistory::firstWithin(std::uint32_t spanMs) const {
    std::size_t first = samples.size();
    while (first > 0 && samples.back().sinceFirstMs - samples[first - 1].sinceFirstMs <= spanMs) {
        --first;
    }
    return first;
}

std::vector<LivePoint> LiveHistory::series(ControlId id, std::uint32_t spanMs) const {
    std::vector<LivePoint> points;
    for (std::size_t i = firstWithin(spanMs); i < samples.size(); ++i) {
        const auto found = samples[i].texts.find(id);
        if (found == samples[i].texts.end()) {
            continue;
        }
        const std::string& text = found->second;
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
            points.push_back({samples[i].sinceFirstMs / 1000.0, value});
        }
    }
    return points;
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
            const auto found = samples[i].texts.find(id);
            text += '\t';
            if (found != samples[i].texts.end()) {
                text += found->second;
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

}  // namespace ecuprobe::console
