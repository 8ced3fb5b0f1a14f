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
// Each answers one text block of a passport: 0x51..0x53 the program's, 0x54..0x58 the data's.
inline constexpr std::uint8_t firstProgramPassportCommand = 0x51;
inline constexpr std::uint8_t firstDataPassportCommand = 0x54;

// Control variables written with writeCommand; 0 in all six hands control back.
inline constexpr std::uint8_t outputStateVariable = 0x09;     // bit set: output on
inline constexpr std::uint8_t outputOverrideVariable = 0x0A;  // bit set: output taken over
inline constexpr std::uint8_t parameterOverrideVariable0B = 0x0B;
inline constexpr std::uint8_t parameterOverrideVariable0C = 0x0C;
inline constexpr std::uint8_t injectorCutVariable = 0x0D;  // bit n-1 cuts injector n
inline constexpr std::uint8_t regulatorVariable = 0x0E;    // regulator bits or a whole-byte command

// Whole-byte commands of regulatorVariable.
inline constexpr std::uint8_t storeCommandValue = 0x01;  // with the index in storeIndexVariable
inline constexpr std::uint8_t clearFaultsCommandValue = 0x08;
inline constexpr std::uint8_t clearLambdaAdaptationValue = 0x10;
inline constexpr std::uint8_t clearKnockAdaptationValue = 0x20;

// Which parameter the store command puts into non-volatile memory: 1 RCOD,
// 2 RCOK, 3 ignition advance correction.
inline constexpr std::uint8_t storeIndexVariable = 0x7C;

}  // namespace ecuprobe::ecu
