#pragma once

#include <cstdint>
#include <vector>

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
