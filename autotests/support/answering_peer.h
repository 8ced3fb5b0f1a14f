#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"

namespace ecuprobe::testing {

using Bytes = std::vector<std::uint8_t>;

// An answer frame for the given data, framed here on its own so that a framing
// fault in the tester cannot hide in its test input.
Bytes answerFrame(const Bytes& data);
// The payload of a request frame as written: escapes undone, checksum and terminator cut.
Bytes unescapePayload(const Bytes& wire);

// An echo that misses the tester's echo read (its 3 ms pause and count + 20 ms),
// as behind a USB adapter holding bytes back or on a loaded machine: onTime
// bytes come within the read, the rest lateMs after it, and the answer
// answerAfterMs after those.
struct LateEcho {
    std::uint32_t lateMs = 0;
    std::size_t onTime = 0;
    std::uint32_t answerAfterMs = 0;
};

// The echoing adapter with a test ECU behind it. The tester writes each request
// frame in one write, so every write is one request.
class AnsweringPeer : public platform::WirePeer {
public:
    void fromTester(std::span<const std::uint8_t> bytes) override;
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;
    // Every echo from now on comes late, on clock.
    void echoLate(platform::Clock& lineClock, LateEcho late);

protected:
    virtual void onRequest(const Bytes& wire, const Bytes& payload) = 0;
    // Queues the framed answer behind the echo.
    void answerWith(const Bytes& data);

private:
    void queue(std::span<const std::uint8_t> bytes, std::uint32_t atMs);

    // Each byte with the moment it reaches the tester.
    std::deque<std::pair<std::uint32_t, std::uint8_t>> pending;
    platform::Clock* clock = nullptr;
    LateEcho lateEcho;
    std::uint32_t answerAtMs = 0;
};

}  // namespace ecuprobe::testing
