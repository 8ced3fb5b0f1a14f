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
    sentDecodedLength = 0;
    lateEchoFrom = lateEchoNext = 0;
    echoWhole = false;
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
    std::copy_n(request.begin(), size, sentDecoded.begin());
    escapeRequestInPlace(length);
    request[length + 1] = frameTerminator;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum + request[i]);
    }
    request[length] = static_cast<std::uint8_t>(-sum);
    sentLength = length + 2;
    std::copy_n(request.begin(), sentLength, sent.begin());
    sentDecoded[size] = request[length];
    sentDecoded[size + 1] = frameTerminator;
    sentDecodedLength = size + 2;
    writeBytes(request.data(), static_cast<std::uint8_t>(sentLength));
    noteOwedEcho();
    return 0;
}

// What the echo read got ends with the first bytes of the request (all of them
// when the echo was whole, none when nothing came in time): the rest is still on
// its way, late (a USB adapter holding bytes back, a loaded machine), and comes
// before any answer, since the ECU hears the request only as it passes.
void FrameExchange::noteOwedEcho() {
    lateEchoFrom = lateEchoNext = sentLength;
    echoWhole = lastEcho() == EchoCheck::matched;
    if (noEcho() || lastEcho() == EchoCheck::none || echoWhole) {
        return;
    }
    const std::span<const std::uint8_t> back = lastEchoBytes();
    std::size_t seen = std::min(back.size(), sentLength);
    while (seen > 0 && !std::ranges::equal(back.last(seen), std::span(sent).first(seen))) {
        --seen;
    }
    lateEchoFrom = lateEchoNext = seen;
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
    restartCollecting();
    noAnswer = false;
    heardCount = 0;
    flooded = false;
    echoPassed = false;
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
        if (takeByte(c)) {
            return;
        }
        if (++rawBytes >= receiveLimitBytes || clock().tickMs() - startMs >= receiveLimitMs) {
            noAnswer = true;
            flooded = true;
            return;
        }
    }
}

// The late echo is passed over byte by byte while it matches. A byte that does
// not match means the rest of it is not coming (or never was, on an adapter
// without echo): what was passed over goes to the answer after all, where an
// echo's remains make a frame with a bad sum that is dropped.
bool FrameExchange::takeByte(std::uint8_t byte) {
    if (lateEchoNext < sentLength) {
        if (byte == sent[lateEchoNext]) {
            echoWhole = ++lateEchoNext == sentLength;
            return false;
        }
        const std::size_t from = lateEchoFrom;
        const std::size_t to = lateEchoNext;
        lateEchoFrom = lateEchoNext = sentLength;
        echoWhole = false;
        for (std::size_t i = from; i < to; ++i) {
            if (collect(sent[i])) {
                return true;
            }
        }
    }
    return collect(byte);
}

bool FrameExchange::collect(std::uint8_t byte) {
    if (feedByte(collector, received, byte) != FeedResult::complete) {
        return false;
    }
    const bool answer = isAnswer();
    if (!answer) {
        restartCollecting();
    }
    return answer;
}

bool FrameExchange::isRequestCopy() const {
    return sentDecodedLength > 0 && collector.rxLength == sentDecodedLength &&
           std::equal(sentDecoded.begin(),
                      sentDecoded.begin() + static_cast<std::ptrdiff_t>(sentDecodedLength),
                      received.begin());
}

// Every request is itself a valid frame, so a copy of it may be the adapter's
// echo coming apart from its window, or an adapter set to run without echo
// echoing after all; taken for the answer, it would be read as data. Yet an
// answer may equal its request (the link check's with the throttle at 99 %).
// A copy is the answer once the echo is accounted for: with echo, seen whole; without,
// on an adapter seen to let answers through with no copy ahead of them. Else the
// first copy is passed over and what follows it is the answer. Without echo that
// holds only until the first answer, as no request of a connection's start gets
// an answer equal to itself.
bool FrameExchange::isAnswer() {
    if (!isRequestCopy()) {
        if (noEcho() && !echoPassed) {
            noteAdapterWithoutEcho();
        }
        return true;
    }
    const bool echoAccountedFor = noEcho() ? adapterSeenWithoutEcho() : echoWhole;
    if (echoPassed || echoAccountedFor) {
        return true;
    }
    echoPassed = true;
    return false;
}

void FrameExchange::restartCollecting() {
    collector.restart();
    std::fill(received.begin(), received.begin() + 255, 0);
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
