#pragma once

#include <cstdint>

namespace ecuprobe::ecu {

// Command bytes: the first byte of every request payload.
inline constexpr std::uint8_t identifyCommand = 0x01;       // answer: ECU type byte
inline constexpr std::uint8_t readFaultsCommand = 0x02;     // answer: count, code/status pairs
inline constexpr std::uint8_t readVariablesCommand = 0x61;  // args: variable numbers
inline constexpr std::uint8_t writeCommand = 0x62;          // args: (variable, value) pairs
inline constexpr std::uint8_t readDataSetCommand = 0x63;    // answer: the selected data set
inline constexpr std::uint8_t selectDataSetCommand = 0x64;  // args: variable numbers

// Control variables written with writeCommand; 0 in all six hands control back.
inline constexpr std::uint8_t outputStateVariable = 0x09;     // bit set: output on
inline constexpr std::uint8_t outputOverrideVariable = 0x0A;  // bit set: output taken over
inline constexpr std::uint8_t parameterOverrideVariable0B = 0x0B;
inline constexpr std::uint8_t parameterOverrideVariable0C = 0x0C;
inline constexpr std::uint8_t injectorCutVariable = 0x0D;  // bit n-1 cuts injector n
inline constexpr std::uint8_t regulatorVariable = 0x0E;    // regulator bits or a whole-byte command

// Whole-byte commands of regulatorVariable.
inline constexpr std::uint8_t clearFaultsCommandValue = 0x08;

}  // namespace ecuprobe::ecu
