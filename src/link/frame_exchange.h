#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "link/echo_verdict.h"
#include "link/framing.h"
#include "link/serial_port.h"

namespace ecuprobe::link {

// The framing half of the one link object: sendRequest() frames a payload in the
// transmit buffer and sends it, receiveResponse() collects one answer frame into
// the receive buffer (data from index 0, then checksum and 0x0D).
class FrameExchange : public SerialPort {
public:
    // A peer that keeps talking without ever completing a valid frame cannot hold a
    // receive this long, nor for this many raw bytes; the receive then times out.
    static constexpr std::uint32_t receiveLimitMs = 1000;
    static constexpr int receiveLimitBytes = 512;

    // 0 sent; 1 refused and nothing sent (the payload is empty or above 251 bytes,
    // or the escaped frame with checksum and terminator would be longer than 255).
    // The transmit buffer keeps the payload's bytes either way.
    std::uint8_t sendRequest(std::span<const std::uint8_t> payload);
    void setResponseTimeout(std::uint16_t ms);
    void receiveResponse();

    // The last receive ended without a valid frame.
    bool timedOut() const { return noAnswer; }
    std::uint16_t responseTimeoutMs() const { return responseLimitMs; }
    // The whole receive buffer: the answer's data from index 0, then its checksum
    // and 0x0D, then zeros (the last byte is never cleared).
    std::span<const std::uint8_t, frameBufferSize> response() const { return received; }
    // The answer's data alone, without checksum and terminator (empty for a frame
    // that filled all 256 bytes of the buffer).
    std::span<const std::uint8_t> responseData() const;

    // How the echo of the last request came back, judged with what the answer
    // wait heard after it; none when the request was not written and read back.
    std::optional<EchoVerdict> lastEchoVerdict() const;
    // The last answer wait gave up while bytes kept coming that never made a frame.
    bool lastReceiveFlooded() const { return flooded; }
    // The raw bytes the last answer wait heard, as far as a frame's length.
    std::span<const std::uint8_t> lastHeardBytes() const { return {heard.data(), heardCount}; }

private:
    friend struct LinkProbe;

    void escapeRequestInPlace(std::size_t& length);
    void hear(std::uint8_t byte);
    // After the echo read: the bytes of the request the adapter has not handed
    // back yet, which it still owes ahead of any answer.
    void noteOwedEcho();
    // One raw byte of the answer wait, past what is owed of the echo; true once
    // an answer frame is taken.
    bool takeByte(std::uint8_t byte);
    bool collect(std::uint8_t byte);
    // The frame just collected equals the request.
    bool isRequestCopy() const;
    bool isAnswer();
    void restartCollecting();

    std::array<std::uint8_t, frameBufferSize> received{};
    std::array<std::uint8_t, frameBufferSize> request{};
    FrameCollector collector;
    bool noAnswer = false;
    std::uint16_t responseLimitMs = 100;
    // The frame the last sendRequest() wrote, kept for judging its echo, and as
    // the receiver decodes it (payload, checksum, 0x0D).
    std::array<std::uint8_t, frameBufferSize> sent{};
    std::size_t sentLength = 0;
    std::array<std::uint8_t, frameBufferSize> sentDecoded{};
    std::size_t sentDecodedLength = 0;
    // The echo read missed sent[lateEchoFrom, sentLength): the adapter still owes
    // it. The answer wait has passed over it up to lateEchoNext.
    std::size_t lateEchoFrom = 0;
    std::size_t lateEchoNext = 0;
    // The echo of the last request has come back whole, in its window or late.
    bool echoWhole = false;
    std::array<std::uint8_t, maxFrameLength> heard{};
    std::size_t heardCount = 0;
    bool flooded = false;
    // A copy of the request has come back and been passed over in this wait.
    bool echoPassed = false;
};

// The one link object of the process, with static lifetime.
FrameExchange& processLink();

}  // namespace ecuprobe::link
