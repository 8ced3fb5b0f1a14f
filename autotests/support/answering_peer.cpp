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
    const std::uint32_t nowMs = clock != nullptr ? clock->tickMs() : 0;
    const std::size_t onTime =
        clock != nullptr ? std::min(lateEcho.onTime, bytes.size()) : bytes.size();
    const auto windowEndMs = static_cast<std::uint32_t>(nowMs + 3 + bytes.size() + 20);
    queue(bytes.first(onTime), nowMs);
    queue(bytes.subspan(onTime), windowEndMs + lateEcho.lateMs);
    answerAtMs = clock != nullptr ? windowEndMs + lateEcho.lateMs + lateEcho.answerAfterMs : 0;
    const Bytes wire(bytes.begin(), bytes.end());
    onRequest(wire, unescapePayload(wire));
}

std::size_t AnsweringPeer::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::uint32_t nowMs = clock != nullptr ? clock->tickMs() : 0;
    std::size_t n = 0;
    while (n < max && !pending.empty() && pending.front().first <= nowMs) {
        buffer[n++] = pending.front().second;
        pending.pop_front();
    }
    return n;
}

void AnsweringPeer::echoLate(platform::Clock& lineClock, LateEcho late) {
    clock = &lineClock;
    lateEcho = late;
}

void AnsweringPeer::answerWith(const Bytes& data) {
    queue(answerFrame(data), answerAtMs);
}

void AnsweringPeer::queue(std::span<const std::uint8_t> bytes, std::uint32_t atMs) {
    for (const std::uint8_t b : bytes) {
        pending.emplace_back(atMs, b);
    }
}

}  // namespace ecuprobe::testing
