// Arbitrary raw byte streams into the frame decoder, and every payload through the
// encoder and back. The buffer lives alone on the heap, so a write outside it is
// caught by AddressSanitizer; _GLIBCXX_ASSERTIONS checks each index as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "link/framing.h"

namespace {

using ecuprobe::link::FeedResult;
using ecuprobe::link::frameBufferSize;
using ecuprobe::link::FrameCollector;
using Buffer = std::array<std::uint8_t, frameBufferSize>;

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void feedStream(std::span<const std::uint8_t> raw) {
    auto buffer = std::make_unique<Buffer>();
    FrameCollector collector;
    for (std::uint8_t c : raw) {
        if (ecuprobe::link::feedByte(collector, *buffer, c) == FeedResult::complete) {
            // A complete frame ends in its terminator, and the collector starts afresh.
            const std::size_t last = (collector.rxLength + frameBufferSize - 1) % frameBufferSize;
            require((*buffer)[last] == ecuprobe::link::frameTerminator);
            collector.restart();
        }
    }
}

// Whatever the encoder makes of a payload, the decoder must give back, ending
// exactly on the frame's last byte, also when the unescaped checksum is 0x0D or
// 0x40. An empty payload makes no answer and is not sent.
void roundTrip(std::span<const std::uint8_t> payload) {
    const std::vector<std::uint8_t> frame = ecuprobe::link::encodeFrame(payload);
    if (payload.empty() || frame.size() > frameBufferSize) {
        return;
    }
    auto buffer = std::make_unique<Buffer>();
    FrameCollector collector;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const FeedResult result = ecuprobe::link::feedByte(collector, *buffer, frame[i]);
        require((result == FeedResult::complete) == (i + 1 == frame.size()));
    }
    require(std::equal(payload.begin(), payload.end(), buffer->begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    feedStream(input);
    roundTrip(input.first(std::min(size, ecuprobe::link::maxRequestPayload)));
    return 0;
}
