#include "link/frame_exchange.h"

#include <algorithm>
#include <span>

namespace ecuprobe::link {

FrameExchange& processLink() {
    static FrameExchange link;
    return link;
}

void FrameExchange::escapeRequestInPlace(std::size_t& length) {
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = request[i];
        if (b != frameTerminator && b != escapeByte) {
            continue;
        }
        std::copy_backward(request.begin() + static_cast<std::ptrdiff_t>(i + 1),
                           request.begin() + static_cast<std::ptrdiff_t>(length),
                           request.begin() + static_cast<std::ptrdiff_t>(length + 1));
        request[i] = escapeByte;
        request[i + 1] = b == frameTerminator ? 0xCD : 0x00;
        ++length;
        ++i;
    }
}

std::uint8_t FrameExchange::sendRequest(int n) {
    sentLength = 0;
    const std::size_t size = n < 0 ? 0 : static_cast<std::size_t>(n);
    if (size < 255) {
        std::fill(request.begin() + static_cast<std::ptrdiff_t>(size), request.begin() + 255, 0);
    }
    if (size == 0 || size > maxRequestPayload) {
        return 1;
    }
    std::size_t length = size;
    if (escapedLength(std::span(request).first(size)) + 2 > maxFrameLength) {
        return 1;
    }
    escapeRequestInPlace(length);
    request[length + 1] = frameTerminator;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum + request[i]);
    }
    request[length] = static_cast<std::uint8_t>(-sum);
    sentLength = length + 2;
    std::copy_n(request.begin(), sentLength, sent.begin());
    writeBytes(request.data(), static_cast<std::uint8_t>(sentLength));
    return 0;
}

void FrameExchange::setResponseTimeout(std::uint16_t ms) {
    timedOut = 0;
    responseTimeoutMs = ms;
}

void FrameExchange::receiveResponse() {
    FrameCollector::restart();
    std::fill(response.begin(), response.begin() + 255, 0);
    timedOut = 0;
    heardCount = 0;
    flooded = false;
    int idleMs = 0;
    int rawBytes = 0;
    const std::uint32_t startMs = clock().tickMs();
    for (;;) {
        const std::uint8_t c = readByte();
        if (noByte != 0) {
            idleMs += byteTimeoutMs;
            if (idleMs >= responseTimeoutMs) {
                timedOut = 1;
                return;
            }
            continue;
        }
        idleMs = 0;
        hear(c);
        if (feedByte(*this, response, c) == FeedResult::complete) {
            return;
        }
        if (++rawBytes >= receiveLimitBytes || clock().tickMs() - startMs >= receiveLimitMs) {
            timedOut = 1;
            flooded = true;
            return;
        }
    }
}

void FrameExchange::hear(std::uint8_t byte) {
    if (heardCount < heard.size()) {
        heard[heardCount++] = byte;
    }
}

std::optional<EchoVerdict> FrameExchange::lastEchoVerdict() const {
    switch (lastEcho()) {
        case EchoCheck::none:
        case EchoCheck::failed:
            return std::nullopt;
        case EchoCheck::matched:
        case EchoCheck::missing:
        case EchoCheck::incomplete:
        case EchoCheck::differs:
            break;
    }
    if (sentLength == 0) {
        return std::nullopt;
    }
    return classifyEcho({sent.data(), sentLength}, lastEchoBytes(), lastHeardBytes());
}

}  // namespace ecuprobe::link
