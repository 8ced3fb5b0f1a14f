#include "answering_peer.h"

#include <algorithm>

namespace ecuprobe::testing {

Bytes answerFrame(const Bytes& data) {
    Bytes frame;
    for (const std::uint8_t b : data) {
        if (b == 0x0D) {
            frame.insert(frame.end(), {0x40, 0xCD});
        } else if (b == 0x40) {
            frame.insert(frame.end(), {0x40, 0x00});
        } else {
            frame.push_back(b);
        }
    }
    unsigned sum = 0;
    for (const std::uint8_t b : frame) {
        sum += b;
    }
    frame.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    frame.push_back(0x0D);
    return frame;
}

Bytes unescapePayload(const Bytes& wire) {
    Bytes payload;
    const std::size_t end = wire.size() >= 2 ? wire.size() - 2 : 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (wire[i] == 0x40 && i + 1 < end) {
            payload.push_back(static_cast<std::uint8_t>(0x40 + wire[++i]));
        } else {
            payload.push_back(wire[i]);
        }
    }
    return payload;
}

void AnsweringPeer::fromTester(std::span<const std::uint8_t> bytes) {
    // The adapter hands every byte back before any answer.
    pending.insert(pending.end(), bytes.begin(), bytes.end());
    const Bytes wire(bytes.begin(), bytes.end());
    onRequest(wire, unescapePayload(wire));
}

std::size_t AnsweringPeer::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::size_t n = std::min(max, pending.size());
    std::copy_n(pending.begin(), n, buffer);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void AnsweringPeer::answerWith(const Bytes& data) {
    const Bytes frame = answerFrame(data);
    pending.insert(pending.end(), frame.begin(), frame.end());
}

}  // namespace ecuprobe::testing
