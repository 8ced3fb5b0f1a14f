#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ecuprobe::link {

// Frame on the wire, both directions:
//
//   offset  length  content
//   0       m       payload, escaped: 0x0D -> 0x40 0xCD, 0x40 -> 0x40 0x00
//   m       1       checksum: two's complement of the 8-bit sum of the m escaped bytes
//   m + 1   1       terminator 0x0D
//
// The receiver adds the byte after 0x40 to it, so 0x40 0xCD is data 0x0D, not the end.
// A frame is valid when all its raw bytes, terminator included, sum to 0x0D.
//
// The checksum travels unescaped, so it can be 0x40 or 0x0D itself; the receiver
// still reads such frames, because a sender escapes only as 40 CD and 40 00:
//   ... 40 0D   whose bytes before the 0x0D sum to 0: checksum 0x40, then the terminator;
//   ... 0D 0D   whose first 0x0D brings the sum to 0: checksum 0x0D, then the terminator
//               (when anything else follows, the first 0x0D ended a frame with a bad sum).
// A frame without payload (a lone 0x0D, or a checksum and terminator only) is no answer.

inline constexpr std::uint8_t frameTerminator = 0x0D;
inline constexpr std::uint8_t escapeByte = 0x40;
inline constexpr std::size_t frameBufferSize = 256;
inline constexpr std::size_t maxRequestPayload = 251;
// A whole frame must fit the 256-byte buffer and the 8-bit count of one write.
inline constexpr std::size_t maxFrameLength = 255;

std::size_t escapedLength(std::span<const std::uint8_t> payload);

// Whole frame (escaped payload, checksum, terminator) for a payload of any length.
std::vector<std::uint8_t> encodeFrame(std::span<const std::uint8_t> payload);

// State of a frame being collected byte by byte.
struct FrameCollector {
    std::uint8_t rxLength = 0;      // bytes stored for the frame being collected
    int escapePending = 0;          // the last raw byte was 0x40
    std::uint8_t runningSum = 0;    // 8-bit sum of the frame's raw bytes so far
    bool skippingOverlong = false;  // a frame outgrew the buffer: wait for its end
    // The last byte was a 0x0D that brought the sum to 0: a checksum 0x0D when a
    // terminator follows, else the end of a frame with a bad sum.
    bool checksumPending = false;

    void restart() {
        rxLength = 0;
        escapePending = 0;
        runningSum = 0;
        skippingOverlong = false;
        checksumPending = false;
    }
    // Nothing of a frame has come yet.
    bool atFrameStart() const {
        return rxLength == 0 && escapePending == 0 && !skippingOverlong && !checksumPending;
    }
};

enum class FeedResult { collecting, complete, dropped };

// Takes one raw byte into the frame being collected in buffer. A frame with a bad
// sum is dropped and collection starts again; so is one that would not fit the
// buffer, and nothing is ever written outside it, and so is a frame without payload.
FeedResult feedByte(FrameCollector& collector, std::span<std::uint8_t, frameBufferSize> buffer,
                    std::uint8_t c);

}  // namespace ecuprobe::link
