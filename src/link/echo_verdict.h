#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ecuprobe::link {

// What came back after a write, judged against what was written. The adapter
// hands every byte back before the ECU can answer, so each outcome points at a
// different thing to check.
enum class EchoVerdict : std::uint8_t {
    // Every byte came back as written, in time or late.
    echoed,
    // Nothing came back: no echoing adapter on the line (unpowered, or not a
    // K-line adapter).
    nothing,
    // Some bytes came back, in order, the rest never did: swallowed on the way
    // (XON/XOFF handling, an adapter losing power).
    partial,
    // The bytes came back changed, or with bytes that were never written: noise.
    changed,
    // A well-formed frame other than the one written stands where the echo
    // should be: the ECU's answer, from an adapter that cancels its own echo.
    answerInPlace,
};

// The length of the well-formed frame (escaped data, checksum, 0x0D) the bytes
// begin with, 0 when they begin with none: at its first 0x0D the bytes so far
// must sum to 0x0D, with data before the checksum.
std::size_t leadingFrameLength(std::span<const std::uint8_t> bytes);

// Judges the echo of written: echoWindow holds what the echo read got, after
// what came next (the answer wait), which only an answer in place of the echo
// can reach into.
EchoVerdict classifyEcho(std::span<const std::uint8_t> written,
                         std::span<const std::uint8_t> echoWindow,
                         std::span<const std::uint8_t> after = {});

}  // namespace ecuprobe::link
