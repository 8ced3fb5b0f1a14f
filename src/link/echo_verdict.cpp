#include "link/echo_verdict.h"

#include <algorithm>
#include <array>
#include <vector>

#include "link/framing.h"

namespace ecuprobe::link {

namespace {

bool contains(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> part) {
    return !part.empty() &&
           std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

// The bytes in order, each a byte of written: what is left of it after some were swallowed.
bool inOrderWithin(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> written) {
    auto next = written.begin();
    for (const std::uint8_t b : bytes) {
        next = std::find(next, written.end(), b);
        if (next == written.end()) {
            return false;
        }
        ++next;
    }
    return true;
}

// The echo stopped short and an answer came right after it.
bool cutShortByAnAnswer(std::span<const std::uint8_t> written,
                        std::span<const std::uint8_t> cameBack) {
    const auto [left, right] =
        std::mismatch(written.begin(), written.end(), cameBack.begin(), cameBack.end());
    const auto echoed = static_cast<std::size_t>(left - written.begin());
    return echoed > 0 && leadingFrameLength(cameBack.subspan(echoed)) > 0;
}

}  // namespace

std::size_t leadingFrameLength(std::span<const std::uint8_t> bytes) {
    FrameCollector collector;
    std::array<std::uint8_t, frameBufferSize> buffer{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        switch (feedByte(collector, buffer, bytes[i])) {
            case FeedResult::complete:
                return i + 1;
            case FeedResult::dropped:
                return 0;
            case FeedResult::collecting:
                break;
        }
    }
    return 0;
}

EchoVerdict classifyEcho(std::span<const std::uint8_t> written,
                         std::span<const std::uint8_t> echoWindow,
                         std::span<const std::uint8_t> after) {
    std::vector<std::uint8_t> cameBack(echoWindow.begin(), echoWindow.end());
    cameBack.insert(cameBack.end(), after.begin(), after.end());
    // Whole and in order, part of it or all after its window: late (a USB
    // adapter holding bytes back, a loaded machine), yet echoed.
    if (cameBack.size() >= written.size() &&
        std::equal(written.begin(), written.end(), cameBack.begin())) {
        return EchoVerdict::echoed;
    }
    if (echoWindow.empty()) {
        return EchoVerdict::nothing;
    }
    // The whole echo among other bytes: noise before it, whatever else forms a frame.
    if (contains(cameBack, written)) {
        return EchoVerdict::changed;
    }
    if (cutShortByAnAnswer(written, cameBack)) {
        return EchoVerdict::partial;
    }
    if (leadingFrameLength(cameBack) > 0) {
        return EchoVerdict::answerInPlace;
    }
    const bool swallowed = echoWindow.size() < written.size() && inOrderWithin(echoWindow, written);
    return swallowed ? EchoVerdict::partial : EchoVerdict::changed;
}

}  // namespace ecuprobe::link
