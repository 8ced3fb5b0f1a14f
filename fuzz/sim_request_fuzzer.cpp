// Arbitrary traffic from the tester into the simulated ECU: the frame collector,
// the fault injector and the Responder behind them, on virtual time. The first
// byte picks raw bytes or framed requests (payloads split at 0xFF), the second
// a fault rule; the answers must stay bounded and the line must keep working.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/framing.h"
#include "platform/clock.h"
#include "require.h"
#include "sim/simulated_ecu.h"

namespace {

using ecuprobe::sim::FaultKind;
using ecuprobe::sim::FaultTrigger;

using ecuprobe::fuzzing::require;

// What the simulator sends back within the next 50 ms, in bytes.
std::size_t drain(ecuprobe::sim::SimulatedEcu& ecu, ecuprobe::platform::FakeClock& clock) {
    std::uint8_t buffer[256];
    std::size_t total = 0;
    for (int step = 0; step < 50; ++step) {
        clock.advance(1);
        total += ecu.toTester(buffer, sizeof buffer);
    }
    return total;
}

// The complete frames in bytes, as the simulator's own collector finds them.
std::size_t requestsIn(std::span<const std::uint8_t> bytes) {
    ecuprobe::link::FrameCollector collector;
    std::array<std::uint8_t, ecuprobe::link::frameBufferSize> frame{};
    std::size_t count = 0;
    for (const std::uint8_t b : bytes) {
        if (ecuprobe::link::feedByte(collector, frame, b) == ecuprobe::link::FeedResult::complete) {
            collector.restart();
            ++count;
        }
    }
    return count;
}

// Payloads split at 0xFF, each sent as a frame of its own.
std::vector<std::vector<std::uint8_t>> framedRequests(std::span<const std::uint8_t> input) {
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint8_t> payload;
    for (const std::uint8_t b : input) {
        if (b != 0xFF) {
            payload.push_back(b);
            continue;
        }
        if (!payload.empty() && payload.size() <= ecuprobe::link::maxRequestPayload) {
            frames.push_back(ecuprobe::link::encodeFrame(payload));
        }
        payload.clear();
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    ecuprobe::platform::FakeClock clock;
    ecuprobe::sim::SimulatedEcu ecu(clock);
    const auto kind = static_cast<FaultKind>(data[1] % (static_cast<int>(FaultKind::vanish) + 1));
    if ((data[1] & 0x80) != 0 && kind != FaultKind::garbage) {
        ecu.addFault({kind, {FaultTrigger::Mode::everyNth, 2, 1.0, std::nullopt}, 30});
    }
    const std::span<const std::uint8_t> input(data + 2, size - 2);
    std::vector<std::vector<std::uint8_t>> writes;
    if ((data[0] & 1) != 0) {
        writes = framedRequests(input);
    } else {
        writes.emplace_back(input.begin(), input.end());
    }
    for (const auto& bytes : writes) {
        ecu.fromTester(bytes);
        // The echo of what was written and, for each request in it, an answer of
        // at most 120 data bytes escaped, with checksum and terminator, and a
        // stray frame of noise.
        require(drain(ecu, clock) <= bytes.size() + requestsIn(bytes) * (2 * 120 + 2 + 4));
    }
    clock.advance(1000);
    ecu.fromTester(ecuprobe::link::encodeFrame(std::vector<std::uint8_t>{0x01}));
    drain(ecu, clock);
    return 0;
}
