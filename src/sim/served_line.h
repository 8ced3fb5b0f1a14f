#pragma once

#include <cstdint>
#include <optional>

#include "platform/in_memory_serial_device.h"

namespace ecuprobe::sim {

// What a PtyServer serves at the far end of the line: the simulated ECU with its
// adapter, or the answers of a recorded session.
class ServedLine : public platform::WirePeer {
public:
    // Times the device has vanished so far; the server recreates the line on each.
    virtual int vanishCount() const { return 0; }
    // Milliseconds on the line's clock until something is due without the tester
    // writing: a byte to send, or the device's return; none when nothing is.
    // The server rests that long, so a line left idle costs no wake-ups.
    virtual std::optional<std::uint32_t> msUntilDue() const = 0;
};

// How long from `nowMs` until `dueMs` on a 32-bit tick count that may wrap; 0 when past.
inline std::uint32_t msUntil(std::uint32_t dueMs, std::uint32_t nowMs) {
    const auto left = static_cast<std::int32_t>(dueMs - nowMs);
    return left > 0 ? static_cast<std::uint32_t>(left) : 0u;
}

}  // namespace ecuprobe::sim
