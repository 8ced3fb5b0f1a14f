#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "console/panel_controls.h"
#include "console/panel_snapshot.h"

namespace ecuprobe::console {

struct LivePoint {
    double seconds = 0;  // since the first sample
    double value = 0;
};

// The live values the console showed, sample by sample, for the chart and its
// export. Kept in the texts the console showed, so an export repeats them exactly.
class LiveHistory {
public:
    static constexpr std::uint32_t defaultKeepMs = 10u * 60u * 1000u;

    // keepMs: how far back from the newest sample the history reaches.
    explicit LiveHistory(std::uint32_t keepMs = defaultKeepMs) : keep(keepMs) {}

    // atMs on the link's clock; samples must come in time order.
    void add(std::uint32_t atMs, const PanelSnapshot& snapshot);
    bool empty() const { return samples.empty(); }
    std::size_t size() const { return samples.size(); }
    // Seconds from the first sample to the newest; 0 while empty.
    double newestSeconds() const;

    // One value over the last spanMs before the newest sample; texts that are
    // not numbers are left out.
    std::vector<LivePoint> series(ControlId id, std::uint32_t spanMs) const;
    // Tab-separated, one line per sample of the last spanMs: "Время, с" with
    // tenths, then each value as shown; a head line names the columns.
    std::string tsv(std::span<const ControlId> ids, std::uint32_t spanMs) const;

private:
    struct Sample {
        std::uint32_t sinceFirstMs;
        std::map<ControlId, std::string> texts;
    };

    // Index of the first sample within spanMs of the newest.
    std::size_t firstWithin(std::uint32_t spanMs) const;

    std::deque<Sample> samples;
    std::uint32_t keep;
    std::uint32_t firstMs = 0;
};

// A live value's name for the chart and the export: its console caption
// without the colon; "№2:" names its probe in full.
std::string chartName(ControlId id);

}  // namespace ecuprobe::console
