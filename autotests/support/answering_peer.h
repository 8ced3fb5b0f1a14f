#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/in_memory_serial_device.h"

namespace ecuprobe::testing {

using Bytes = std::vector<std::uint8_t>;

// An answer frame for the given data, framed here on its own so that a framing
// fault in the tester cannot hide in its test input.
Bytes answerFrame(const Bytes& data);
// The payload of a request frame as written: escapes undone, checksum and terminator cut.
Bytes unescapePayload(const Bytes& wire);

// The echoing adapter with a test ECU behind it. The tester writes each request
// frame in one write, so every write is one request.
class AnsweringPeer : public platform::WirePeer {
public:
    void fromTester(std::span<const std::uint8_t> bytes) override;
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;

protected:
    virtual void onRequest(const Bytes& wire, const Bytes& payload) = 0;
    // Queues the framed answer behind the echo.
    void answerWith(const Bytes& data);

private:
    Bytes pending;
};

}  // namespace ecuprobe::testing
