// Arbitrary byte streams from the line into FrameExchange::receiveResponse over the
// in-memory device in virtual time. The first input byte picks the silence limit
// and whether a request goes out first; the rest is what the peer sends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "require.h"

namespace {

using ecuprobe::link::FrameExchange;

using ecuprobe::fuzzing::require;

// Echoes the tester, and sends the fuzzer's bytes: at once, or after a request.
class StreamPeer : public ecuprobe::platform::EchoPeer {
public:
    StreamPeer(std::span<const std::uint8_t> stream, bool afterRequest)
        : bytes(stream), streaming(!afterRequest) {}
    void fromTester(std::span<const std::uint8_t> written) override {
        EchoPeer::fromTester(written);
        streaming = true;
    }
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override {
        std::size_t n = EchoPeer::toTester(buffer, max);
        while (streaming && n < max && next < bytes.size()) {
            buffer[n++] = bytes[next++];
        }
        return n;
    }
    std::size_t next = 0;

private:
    std::span<const std::uint8_t> bytes;
    bool streaming;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    ecuprobe::platform::FakeClock clock;
    const bool sendFirst = (mode & 0x80) != 0;
    StreamPeer peer({data + 1, size - 1}, sendFirst);
    ecuprobe::platform::InMemorySerialDevice device(clock, peer);
    ecuprobe::platform::PortMap ports;
    auto link = std::make_unique<FrameExchange>();
    link->attach(device, clock, ports);
    require(link->open(2) == ecuprobe::link::OpenResult::opened);
    if (sendFirst) {
        std::array<std::uint8_t, 8> request{mode};
        require(link->sendRequest(std::span(request).first(1u + (mode & 0x07u))) == 0);
        require(link->errorCount() == 0);
    }
    const auto limitMs = static_cast<std::uint16_t>(20 * (1 + (mode & 0x0F)));
    const std::uint64_t before = clock.totalSleptMs();
    link->setResponseTimeout(limitMs);
    link->receiveResponse();
    // Bounded however the stream looks: 512 raw bytes, one second, or the silence limit.
    require(peer.next <= FrameExchange::receiveLimitBytes);
    require(clock.totalSleptMs() - before <= FrameExchange::receiveLimitMs + limitMs + 21u);
    if (!link->timedOut()) {
        // A complete frame's data is never empty unless it filled all 256 bytes.
        const std::size_t dataLength = link->responseData().size();
        const std::size_t last = dataLength == 0 ? 255u : dataLength + 1u;
        require(link->response()[last] == ecuprobe::link::frameTerminator);
    }
    return 0;
}
