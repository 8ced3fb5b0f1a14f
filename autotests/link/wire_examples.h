#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "case_names.h"

namespace ecuprobe::link::testing_support {

using Bytes = std::vector<std::uint8_t>;

// Request payloads and the exact bytes that must go on the wire for them,
// written out by hand from the frame layout.
struct WireExample {
    Bytes payload;
    Bytes wire;
    friend void PrintTo(const WireExample& e, std::ostream* out) {
        case_names::printBytes(e.payload, out);
    }
};

inline const std::vector<WireExample> requestWireExamples = {
    {{0x01}, {0x01, 0xFF, 0x0D}},
    {{0x63}, {0x63, 0x9D, 0x0D}},
    {{0x64, 0x20}, {0x64, 0x20, 0x7C, 0x0D}},
    {{0x62, 0x0D, 0x00}, {0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D}},
    // The checksum is never escaped, even when it comes out as 0x0D or 0x40.
    {{0xF3}, {0xF3, 0x0D, 0x0D}},
    {{0xC0}, {0xC0, 0x40, 0x0D}},
    {{0x40}, {0x40, 0x00, 0xC0, 0x0D}},
    {{0x0D, 0x40}, {0x40, 0xCD, 0x40, 0x00, 0xB3, 0x0D}},
};

}  // namespace ecuprobe::link::testing_support
