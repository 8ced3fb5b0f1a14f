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

// Reads a trace one line at a time, so that memory holds a line whatever the input
// is, and skips the bad lines, keeping each with its number. A line longer than
// maxLineBytes is bad. Input that is no trace ends the reading early, as an
// error: more than `badLines` bad lines, or no line end within `lineEndBytes` (a
// binary file, /dev/zero). After `inputBytes` the rest is left unread, so that
// endless input ends too.
class WireTraceReader {
public:
    static constexpr std::size_t maxLineBytes = 4096;

    struct Limits {
        std::size_t badLines = 1000;
        std::size_t lineEndBytes = 64 * 1024;
        std::uint64_t inputBytes = std::uint64_t{256} * 1024 * 1024;
    };
    enum class Stop { none, badLines, noLineEnd, inputBytes };

    explicit WireTraceReader(std::istream& from) : WireTraceReader(from, Limits{}) {}
    WireTraceReader(std::istream& from, Limits chosen);

    // The next good line; nullopt at the end of the input or once reading stopped.
    std::optional<TraceLine> next();
    const std::vector<TraceProblem>& problems() const { return bad; }
    // Why the reading ended before the end of the input, and that in words.
    Stop stopped() const { return stop; }
    std::string stopMessage() const;

private:
    enum class Read { line, tooLong, noEnd, end };
    Read readLine();

    std::istream& input;
    Limits limits;
    std::string text;
    std::size_t lineNumber = 0;
    std::uint64_t bytesRead = 0;
    std::vector<TraceProblem> bad;
    Stop stop = Stop::none;
};

// Every good line of a trace and every bad one, as WireTraceReader reads them.
struct ParsedTrace {
    std::vector<TraceLine> lines;
    std::vector<TraceProblem> problems;
    WireTraceReader::Stop stopped = WireTraceReader::Stop::none;
};

ParsedTrace readWireTrace(std::istream& in);

}  // namespace ecuprobe::platform
