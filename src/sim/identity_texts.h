#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace ecuprobe::sim {

// A text block as the ECU sends it: up to 16 characters in CP866, zero-padded.
using TextBlock = std::array<std::uint8_t, 16>;

// The block answered to a passport command (0x51..0x53 program, 0x54..0x58 data).
std::optional<TextBlock> passportBlock(std::uint8_t command, std::uint8_t typeByte);
// The block of a text variable (0x74..0x77, 0x79..0x7B).
std::optional<TextBlock> textVariable(std::uint8_t variable);
bool isTextVariable(std::uint8_t variable);

}  // namespace ecuprobe::sim
