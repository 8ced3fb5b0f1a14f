#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/framing.h"
#include "platform/clock.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::sim::testing {

using Bytes = std::vector<std::uint8_t>;

// Writes raw bytes to the simulator as the tester would and collects everything
// that reaches the line within `waitMs` of virtual time.
inline Bytes exchange(SimulatedEcu& ecu, platform::FakeClock& clock, const Bytes& wire,
                      std::uint32_t waitMs = 0) {
    ecu.fromTester(wire);
    clock.advance(waitMs);
    Bytes got(512);
    got.resize(ecu.toTester(got.data(), got.size()));
    return got;
}

// Sends one request payload and returns the answer payload, skipping the echo;
// nullopt when no valid frame came back. For tests of meaning, not of framing.
inline std::optional<Bytes> ask(SimulatedEcu& ecu, platform::FakeClock& clock,
                                const Bytes& payload) {
    const Bytes wire = link::encodeFrame(payload);
    const Bytes got = exchange(ecu, clock, wire);
    link::FrameCollector collector;
    std::array<std::uint8_t, link::frameBufferSize> frame{};
    for (std::size_t i = wire.size(); i < got.size(); ++i) {
        if (link::feedByte(collector, frame, got[i]) == link::FeedResult::complete) {
            if (collector.rxLength < 2) {
                return std::nullopt;
            }
            return Bytes(frame.begin(), frame.begin() + collector.rxLength - 2);
        }
    }
    return std::nullopt;
}

inline Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Runs the model for `ms` of virtual time in steps of `stepMs`, calling
// `each(truth)` after every step.
template <typename Each>
void runFor(SimulatedEcu& ecu, platform::FakeClock& clock, std::uint32_t ms, std::uint32_t stepMs,
            Each each) {
    for (std::uint32_t t = 0; t < ms; t += stepMs) {
        clock.advance(stepMs);
        ecu.advance();
        each(ecu.truth());
    }
}

}  // namespace ecuprobe::sim::testing
