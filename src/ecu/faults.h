#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ecuprobe::ecu {

// One entry of the ECU's fault list: the code (shown in decimal) and its status
// bits (shown in hexadecimal; 0x20 many times, 0x40 once).
struct FaultCode {
    std::uint8_t code = 0;
    std::uint8_t status = 0;
};

inline constexpr std::size_t maxStoredFaults = 54;

// Answer to the fault list request 0x02:
//   offset  width  content
//   0       1      entry count n, signed
//   1 + 2i  1      code of entry i
//   2 + 2i  1      status of entry i

struct FaultText {
    std::string_view description;  // UTF-8
    std::uint8_t code;
};

inline constexpr std::size_t describedFaultCount = 148;

// The described codes in ascending order, then a closing entry with code 0 and
// an empty description.
std::span<const FaultText> faultTexts();

// The description of a code, or "*** Неизвестная ошибка ***".
std::string faultDescription(std::uint8_t code);

// "= многократн." for bit 0x20, then " = однократн." for bit 0x40.
std::string faultStatusText(std::uint8_t status);

}  // namespace ecuprobe::ecu
