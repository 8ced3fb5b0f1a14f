#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "console/chart_scale.h"
#include "console/panel_controls.h"
#include "console/panel_snapshot.h"

namespace ecuprobe::console {

// The live values the console showed, sample by sample, for the chart and its
// export. Each value is kept as the text shown, so an export repeats it exactly,
// and as the number read from it once, so a chart never parses it again.
class LiveHistory {
public:
    static constexpr std::uint32_t defaultKeepMs = 10u * 60u * 1000u;

    // keepMs: how far back from the newest sample the history reaches.
    explicit LiveHistory(std::uint32_t keepMs = defaultKeepMs) : keep(keepMs) {}

    // atMs on the link's clock; samples must come in time order. clockMs: the
    // calendar time of the sample (ms since 1970), for a chart in clock time.
    void add(std::uint32_t atMs, const PanelSnapshot& snapshot, std::int64_t clockMs = 0);
    bool empty() const { return samples.empty(); }
    std::size_t size() const { return samples.size(); }
    // Every sample ever added, also those the history has since let go: a chart
    // that drew up to count n asks only for the samples after it.
    std::uint64_t addedCount() const { return added; }
    // Seconds from the first sample to the newest; 0 while empty.
    double newestSeconds() const;
    // The calendar time, ms since 1970, of a moment given in seconds since the first sample.
    std::int64_t clockMsAt(double seconds) const;
    // The status field at the newest sample: the ECU's type while it answers.
    const std::string& ecuType() const { return newestStatus; }

    // One value over the last spanMs before the newest sample; texts that are
    // not numbers are left out.
    std::vector<LivePoint> series(ControlId id, std::uint32_t spanMs) const;
    // One value of the samples added after the first afterCount (see addedCount()).
    std::vector<LivePoint> seriesAfter(ControlId id, std::uint64_t afterCount) const;
    // Tab-separated, one line per sample of the last spanMs: "Время, с" with
    // tenths, then each value as shown; a head line names the columns.
    std::string tsv(std::span<const ControlId> ids, std::uint32_t spanMs) const;

private:
    struct Sample {
        std::uint32_t sinceFirstMs;
        // In the order of liveValueControls(); NaN where the text is no number.
        std::vector<std::string> texts;
        std::vector<double> values;
    };

    // Index of the first sample within spanMs of the newest.
    std::size_t firstWithin(std::uint32_t spanMs) const;
    std::vector<LivePoint> seriesFrom(ControlId id, std::size_t first) const;

    std::deque<Sample> samples;
    std::uint32_t keep;
    std::uint32_t firstMs = 0;
    std::int64_t firstClockMs = 0;
    std::uint64_t added = 0;
    std::string newestStatus;
};

// A live value's name for the chart and the export: its console caption
// without the colon; "№2:" names its probe in full.
std::string chartName(ControlId id);

// The unit a live value is shown in ("об/мин", "°C"); empty for none.
std::string chartUnit(ControlId id);

}  // namespace ecuprobe::console
