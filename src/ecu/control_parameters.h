#pragma once

#include <cstdint>

namespace ecuprobe::ecu {

// The seven parameters the tester can take over from the ECU.
enum class Parameter : std::uint8_t {
    idleStepper,         // variable 0x5B, override 0x0B bit 5
    idleSpeed,           // 0x2E, 0x0B bit 6
    ignitionCorrection,  // 0x28, 0x0B bit 3; store index 3
    rcod,                // 0x41, 0x0C bit 3; store index 1
    rcok,                // 0x42, 0x0C bit 4; store index 2
    egrDegree,           // 0x5F, 0x0C bit 1
    purgeDegree,         // 0x5E, 0x0C bit 2
};

// The limits the set operations apply in place: a value beyond is sent as the limit.
inline constexpr std::uint32_t maxIdleStepper = 255;
inline constexpr std::uint32_t maxIdleSpeed = 2500;
inline constexpr float maxIgnitionCorrection = 15.0f;
inline constexpr float lowestRcod = -0.3f;
// The CO corrections the ECU can carry at all: the live decoding reads nothing
// above 0, and a byte for a value below -0.5 reads back as something else.
inline constexpr float highestCoCorrection = 0.0f;
inline constexpr float lowestRcok = -0.5f;

// The value bytes of the parameters. Each first limits the caller's value in
// place, as the set operations do, then encodes what is left.

// Steps, at most 255.
std::uint8_t idleStepperByte(std::uint32_t& steps);
// Rpm, at most 2500, sent in tens of rpm (805 goes as 80).
std::uint8_t idleSpeedByte(std::uint32_t& rpm);
// Degrees, -15 to +15, sent as signed half degrees truncated toward zero.
std::uint8_t ignitionCorrectionByte(float& degrees);
// Percent, at most 100: the EGR and purge degrees.
std::uint8_t percentByte(std::uint32_t& percent);

// RCOD and RCOK, from 0 down to -0.5 (RCOD limited to -0.3): x = (v + 0.5) * 256,
// limited to -128..127, plus 128, truncated toward zero: bytes 0x80..0xFF for
// -0.5..-1/256, which the live data reads back (|b - 128| / 256 - 0.5) as the
// value at or up to 1/256 below it. 0 itself goes as 0x00, the one byte read as
// 0. The caller's value becomes what the byte reads back as. Not a number
// counts as 0; the callers refuse values above 0 and RCOK below -0.5.
std::uint8_t rcodByte(float& value);
std::uint8_t rcokByte(float& value);

}  // namespace ecuprobe::ecu
