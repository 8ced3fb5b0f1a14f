#include "link/framing.h"

namespace ecuprobe::link {

std::size_t escapedLength(std::span<const std::uint8_t> payload) {
    std::size_t length = payload.size();
    for (std::uint8_t b : payload) {
        if (b == frameTerminator || b == escapeByte) {
            ++length;
        }
    }
    return length;
}

std::vector<std::uint8_t> encodeFrame(std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> frame;
    frame.reserve(escapedLength(payload) + 2);
    std::uint8_t sum = 0;
    auto put = [&](std::uint8_t b) {
        frame.push_back(b);
        sum = static_cast<std::uint8_t>(sum + b);
    };
    for (std::uint8_t b : payload) {
        if (b == frameTerminator) {
            put(escapeByte);
            put(0xCD);
        } else if (b == escapeByte) {
            put(escapeByte);
            put(0x00);
        } else {
            put(b);
        }
    }
    frame.push_back(static_cast<std::uint8_t>(-sum));
    frame.push_back(frameTerminator);
    return frame;
}

namespace {

FeedResult skipOverlong(FrameCollector& collector, std::uint8_t c) {
    if (collector.escapePending != 0) {
        collector.escapePending = 0;
    } else if (c == escapeByte) {
        collector.escapePending = 1;
    } else if (c == frameTerminator) {
        collector.restart();
        return FeedResult::dropped;
    }
    return FeedResult::collecting;
}

// A frame whose sum is right: an answer only when it carries payload before its
// checksum and terminator. rxLength is 0 for a frame filling all 256 bytes.
FeedResult finishFrame(FrameCollector& collector) {
    if (collector.rxLength == 1 || collector.rxLength == 2) {
        collector.restart();
        return FeedResult::dropped;
    }
    return FeedResult::complete;
}

// Stores c after the bytes collected so far; false when that filled the buffer.
bool storeByte(FrameCollector& collector, std::span<std::uint8_t, frameBufferSize> buffer,
               std::uint8_t c) {
    buffer[collector.rxLength] = c;
    ++collector.rxLength;
    return collector.rxLength != 0;
}

FeedResult dropOverlong(FrameCollector& collector, std::uint8_t c) {
    collector.restart();
    if (c == escapeByte) {
        collector.escapePending = 1;
    }
    collector.skippingOverlong = c != frameTerminator;
    return FeedResult::dropped;
}

// The byte after 0x40. A sender escapes only as 40 CD and 40 00, so a 0x0D that
// makes the sum right is the terminator after a checksum 0x40.
FeedResult afterEscape(FrameCollector& collector, std::span<std::uint8_t, frameBufferSize> buffer,
                       std::uint8_t c) {
    collector.escapePending = 0;
    if (c == frameTerminator && collector.runningSum == frameTerminator) {
        storeByte(collector, buffer, c);
        return finishFrame(collector);
    }
    // rxLength is never 0 here: the 0x40 was stored and counted.
    std::uint8_t& last = buffer[static_cast<std::size_t>(collector.rxLength - 1)];
    last = static_cast<std::uint8_t>(last + c);
    return FeedResult::collecting;
}

FeedResult atTerminator(FrameCollector& collector) {
    if (collector.runningSum == frameTerminator) {
        return finishFrame(collector);
    }
    if (collector.runningSum == 0) {
        collector.checksumPending = true;
        return FeedResult::collecting;
    }
    collector.rxLength = 0;
    collector.runningSum = 0;
    return FeedResult::dropped;
}

}  // namespace

FeedResult feedByte(FrameCollector& collector, std::span<std::uint8_t, frameBufferSize> buffer,
                    std::uint8_t c) {
    if (collector.skippingOverlong) {
        return skipOverlong(collector, c);
    }
    if (collector.checksumPending) {
        collector.checksumPending = false;
        if (c != frameTerminator) {
            // The pending 0x0D ended a frame with a bad sum; c starts the next one.
            collector.rxLength = 0;
            collector.runningSum = 0;
        }
    }
    collector.runningSum = static_cast<std::uint8_t>(collector.runningSum + c);
    if (collector.escapePending != 0) {
        return afterEscape(collector, buffer, c);
    }
    const bool fits = storeByte(collector, buffer, c);
    if (!fits && !(c == frameTerminator && collector.runningSum == frameTerminator)) {
        return dropOverlong(collector, c);
    }
    if (c == escapeByte) {
        collector.escapePending = 1;
        return FeedResult::collecting;
    }
    if (c == frameTerminator) {
        return atTerminator(collector);
    }
    return FeedResult::collecting;
}

}  // namespace ecuprobe::link
