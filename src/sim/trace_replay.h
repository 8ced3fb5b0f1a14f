#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "link/framing.h"
#include "platform/clock.h"
#include "platform/wire_trace_reader.h"
#include "sim/served_line.h"

namespace ecuprobe::sim {

// A byte that came back on the recorded line, this long after its request ended.
struct TimedByte {
    std::uint32_t afterMs = 0;
    std::uint8_t byte = 0;

    bool operator==(const TimedByte&) const = default;
};

// One request of a recorded session (its payload, decoded from the frame the
// tester wrote) and everything that came back for it, echo included, up to the
// next request: answers, bad frames, noise, or nothing at all.
struct RecordedExchange {
    std::vector<std::uint8_t> request;
    std::vector<TimedByte> reply;

    bool operator==(const RecordedExchange&) const = default;
};

// The exchanges of a trace in the order they happened; lines that are not part
// of one (bytes before the first request, notes) are left out.
std::vector<RecordedExchange> recordedExchanges(std::span<const platform::TraceLine> lines);

// How much of a trace a replay takes in: the reader's limits, and the bytes of
// traffic (written and come back) kept, beyond which the rest is left unread.
struct RecordingLimits {
    platform::WireTraceReader::Limits reader;
    std::size_t trafficBytes = std::size_t{8} * 1024 * 1024;
};

// The exchanges of a trace read a line at a time, so that memory grows with what
// is kept and never with the input: an endless or huge file ends all the same.
struct TraceRecording {
    std::vector<RecordedExchange> exchanges;
    std::vector<platform::TraceProblem> problems;
    // Why the reading ended before the end of the input; "" when it did not.
    std::string stopMessage;
    // The input is no trace (too many bad lines, no line end): nothing to replay.
    bool notATrace = false;
};

TraceRecording recordTrace(std::istream& in, const RecordingLimits& limits = {});

// Plays a recorded session back at the far end of the line, so that what was seen
// at the car can be reproduced at the desk. Each request gets the next recorded
// reply to the same request, with its bytes at their recorded delays; once those
// run out, the last one again, so a poll can go on past the end of the recording.
// A request the recording never shows is echoed as a healthy adapter would and
// left unanswered, and told once through the notice.
class TraceReplay final : public ServedLine {
public:
    using Notice = std::function<void(const std::string&)>;

    TraceReplay(platform::Clock& clock, std::vector<RecordedExchange> exchanges,
                Notice notice = {});

    void fromTester(std::span<const std::uint8_t> bytes) override;
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;
    std::optional<std::uint32_t> msUntilDue() const override;

    std::size_t exchangeCount() const { return recorded.size(); }
    std::size_t requestCount() const { return byRequest.size(); }

private:
    struct Replies {
        std::vector<std::size_t> exchanges;
        std::size_t next = 0;
    };
    struct Outbound {
        std::uint32_t dueMs;
        std::uint8_t byte;
    };

    void takeByte(std::uint8_t byte, std::uint32_t nowMs);
    void serve(std::span<const std::uint8_t> request, std::uint32_t nowMs);
    void echoWritten(std::uint32_t nowMs);

    platform::Clock& clock;
    std::vector<RecordedExchange> recorded;
    // Keyed by the request's bytes held in a string.
    std::map<std::string, Replies> byRequest;
    Notice notice;
    std::set<std::string> toldUnknown;
    link::FrameCollector collector;
    std::array<std::uint8_t, link::frameBufferSize> frame{};
    std::vector<std::uint8_t> written;
    std::deque<Outbound> outbound;
};

// "62 09 01": bytes in hex, as the trace writes them.
std::string hexBytes(std::span<const std::uint8_t> bytes);

}  // namespace ecuprobe::sim
