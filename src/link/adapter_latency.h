#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace ecuprobe::link {

// What opening a port found of its adapter's receive latency. A USB adapter
// hands received bytes on only when its latency timer runs out (16 ms by default
// on FTDI chips), so every echo and every answer may wait that much longer.
struct AdapterLatency {
    // Above this the wait shows in every exchange.
    static constexpr int highestGoodMs = 2;

    // The driver took the request for low latency.
    bool lowLatencyGranted = false;
    // The timer before the tester tried to lower it, and as it stands now;
    // nullopt for an adapter without a timer to see.
    std::optional<int> foundMs;
    std::optional<int> timerMs;

    bool tooSlow() const { return timerMs && *timerMs > highestGoodMs; }
    bool lowered() const { return foundMs && timerMs && *timerMs < *foundMs; }
};

// Asks the driver for low latency, reads the timer back and, when it is still
// too slow, sets it to 1 ms and reads it again.
AdapterLatency checkAdapterLatency(platform::SerialDevice& device);

// Which devices were told about already: a person hears of a slow adapter once,
// not on every reconnect.
class LatencyNotices {
public:
    // The finding when it is too slow and path was not told of before.
    std::optional<AdapterLatency> take(const std::string& path, const AdapterLatency& found);

private:
    std::vector<std::string> told;
};

}  // namespace ecuprobe::link
