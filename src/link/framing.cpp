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

}  // namespace

FeedResult feedByte(FrameCollector& collector, std::span<std::uint8_t, frameBufferSize> buffer,
                    std::uint8_t c) {
    if (collector.skippingOverlong) {
        return skipOverlong(collector, c);
    }
    collector.runningSum = static_cast<std::uint8_t>(collector.runningSum + c);
    if (collector.escapePending != 0) {
        // rxLength is never 0 here: the 0x40 was stored and counted.
        std::uint8_t& last = buffer[static_cast<std::size_t>(collector.rxLength - 1)];
        last = static_cast<std::uint8_t>(last + c);
        collector.escapePending = 0;
        return FeedResult::collecting;
    }
    buffer[collector.rxLength] = c;
    ++collector.rxLength;
    const bool complete = c == frameTerminator && collector.runningSum == frameTerminator;
    if (collector.rxLength == 0 && !complete) {
        // The buffer is full and the frame goes on.
        collector.restart();
        if (c == escapeByte) {
            collector.escapePending = 1;
        }
        collector.skippingOverlong = c != frameTerminator;
        return FeedResult::dropped;
    }
    if (c == escapeByte) {
        collector.escapePending = 1;
        return FeedResult::collecting;
    }
    if (c == frameTerminator) {
        if (complete) {
            return FeedResult::complete;
        }
        collector.rxLength = 0;
        collector.runningSum = 0;
        return FeedResult::dropped;
    }
    return FeedResult::collecting;
}

}  // namespace ecuprobe::link
