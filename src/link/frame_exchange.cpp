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

std::uint8_t FrameExchange::sendRequest(std::span<const std::uint8_t> payload) {
    sentLength = 0;
    std::copy_n(payload.begin(), std::min(payload.size(), request.size()), request.begin());
    const std::size_t size = payload.size();
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
    noAnswer = false;
    responseLimitMs = ms;
}

std::span<const std::uint8_t> FrameExchange::responseData() const {
    const std::size_t length = collector.rxLength >= 2 ? collector.rxLength - 2u : 0u;
    return std::span(received).first(length);
}

void FrameExchange::receiveResponse() {
    collector.restart();
    std::fill(received.begin(), received.begin() + 255, 0);
    noAnswer = false;
    heardCount = 0;
    flooded = false;
    int idleMs = 0;
    int rawBytes = 0;
    const std::uint32_t startMs = clock().tickMs();
    for (;;) {
        const std::uint8_t c = readByte();
        if (noByte()) {
            idleMs += byteTimeoutMs();
            if (idleMs >= responseLimitMs) {
                noAnswer = true;
                return;
            }
            continue;
        }
        idleMs = 0;
        hear(c);
        if (feedByte(collector, received, c) == FeedResult::complete) {
            return;
        }
        if (++rawBytes >= receiveLimitBytes || clock().tickMs() - startMs >= receiveLimitMs) {
            noAnswer = true;
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
