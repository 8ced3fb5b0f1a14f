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

// RCOD and RCOK. The live data reads their byte b as |b - 128| / 256 - 0.5,
// which holds just the values -k/256 for k = 0..128: from 0 down to -0.5. The
// value is limited to the nearest of them (RCOD first to -0.3..+0.3, and never
// below -0.3) and sent as the byte k, so that it reads back exactly as it was
// left. Not a number counts as 0.
std::uint8_t rcodByte(float& value);
std::uint8_t rcokByte(float& value);

}  // namespace ecuprobe::ecu
