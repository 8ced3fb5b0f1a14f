#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ecuprobe::platform {

// One line of a wire trace as WireTrace writes it: a millisecond stamp of the
// monotonic clock (right-aligned in 10 columns), a direction and hex bytes, or a note.
//
//   "      1234 TX   62 40 CD 00 91 0D"    bytes written by the tester
//   "      1237 ECHO 62 40 CD 00 91 0D"    what came back as their echo
//   "      1260 RX   09"                   bytes received (the tester logs them one by one)
//   "      1300 --   Ошибка ..."           a note: a link error, an injected fault
struct TraceLine {
    enum class Kind { written, echo, received, note };

    std::uint32_t timeMs = 0;
    Kind kind = Kind::note;
    std::vector<std::uint8_t> bytes;
    std::string note;

    bool operator==(const TraceLine&) const = default;
};

// A line, or what is wrong with it; neither for a blank line.
struct ParsedTraceLine {
    std::optional<TraceLine> line;
    std::string error;
};

ParsedTraceLine parseTraceLine(std::string_view text);

struct TraceProblem {
    std::size_t lineNumber = 0;  // from 1
    std::string message;
};

// Every good line of a trace, and every bad one with its number; a bad line is
// skipped, never fatal. A line longer than maxLineBytes counts as bad.
struct ParsedTrace {
    static constexpr std::size_t maxLineBytes = 4096;

    std::vector<TraceLine> lines;
    std::vector<TraceProblem> problems;
};

ParsedTrace readWireTrace(std::istream& in);

}  // namespace ecuprobe::platform
