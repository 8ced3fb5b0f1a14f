#pragma once

#include <array>
#include <cstdint>

#include "link/frame_exchange.h"

namespace ecuprobe::link {

struct LinkProbe {
    static const platform::SerialDevice* heldDevice(const SerialPort& port) { return port.handle; }
    static const platform::LineSettings& lineSettings(const SerialPort& port) {
        return port.lineSettings;
    }
    static const platform::ReadTimeouts& timeouts(const SerialPort& port) { return port.timeouts; }
    static std::array<std::uint8_t, frameBufferSize>& transmitBuffer(FrameExchange& link) {
        return link.request;
    }
    static std::array<std::uint8_t, frameBufferSize>& receiveBuffer(FrameExchange& link) {
        return link.received;
    }
};

// The device a port holds (kept when releasing it failed) and the settings and read
// time-outs it asked for: white-box checks no caller needs (found by argument lookup).
inline const platform::SerialDevice* heldDevice(const SerialPort& port) {
    return LinkProbe::heldDevice(port);
}
inline const platform::LineSettings& askedLineSettings(const SerialPort& port) {
    return LinkProbe::lineSettings(port);
}
inline const platform::ReadTimeouts& askedTimeouts(const SerialPort& port) {
    return LinkProbe::timeouts(port);
}
// The buffers themselves, to see what a send leaves and what a receive clears.
inline std::array<std::uint8_t, frameBufferSize>& transmitBuffer(FrameExchange& link) {
    return LinkProbe::transmitBuffer(link);
}
inline std::array<std::uint8_t, frameBufferSize>& receiveBuffer(FrameExchange& link) {
    return LinkProbe::receiveBuffer(link);
}

}  // namespace ecuprobe::link
