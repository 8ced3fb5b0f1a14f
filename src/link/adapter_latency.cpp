#include "link/adapter_latency.h"

#include <algorithm>

namespace ecuprobe::link {

AdapterLatency checkAdapterLatency(platform::SerialDevice& device) {
    AdapterLatency found;
    found.lowLatencyGranted = device.requestLowLatency();
    found.foundMs = device.latencyTimerMs();
    found.timerMs = found.foundMs;
    // Writable where a udev rule or the person's own rights allow it.
    if (found.tooSlow() && device.setLatencyTimerMs(1)) {
        found.timerMs = device.latencyTimerMs();
    }
    return found;
}

std::optional<AdapterLatency> LatencyNotices::take(const std::string& path,
                                                   const AdapterLatency& found) {
    if (!found.tooSlow() || std::find(told.begin(), told.end(), path) != told.end()) {
        return std::nullopt;
    }
    told.push_back(path);
    return found;
}

}  // namespace ecuprobe::link
