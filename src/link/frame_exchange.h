#pragma once

#include <array>
#include <cstdint>

#include "link/framing.h"
#include "link/serial_port.h"

namespace ecuprobe::link {

// The framing half of the one link object: the caller writes a payload into
// request, sendRequest(n) frames and sends it, receiveResponse() collects one
// answer frame into response (data from index 0, then checksum and 0x0D).
class FrameExchange : public SerialPort, public FrameCollector {
public:
    // A peer that keeps talking without ever completing a valid frame cannot hold a
    // receive this long, nor for this many raw bytes; the receive then times out.
    static constexpr std::uint32_t receiveLimitMs = 1000;
    static constexpr int receiveLimitBytes = 512;

    // 0 sent; 1 refused and nothing sent (n is 0 or above 251, or the escaped
    // frame with checksum and terminator would be longer than 255 bytes).
    std::uint8_t sendRequest(int n);
    void setResponseTimeout(std::uint16_t ms);
    void receiveResponse();

    std::array<std::uint8_t, frameBufferSize> response{};
    std::array<std::uint8_t, frameBufferSize> request{};
    int timedOut = 0;
    std::uint16_t responseTimeoutMs = 100;

private:
    void escapeRequestInPlace(std::size_t& length);
};

// The one link object of the process, with static lifetime.
FrameExchange& processLink();

}  // namespace ecuprobe::link
