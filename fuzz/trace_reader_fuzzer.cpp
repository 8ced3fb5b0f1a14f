// Arbitrary text as a wire trace: read line by line, split into exchanges and
// served by a replay. Every byte line that is read must be written back by the
// trace the same way, and every bad line is numbered within the text.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/wire_trace.h"
#include "platform/wire_trace_reader.h"
#include "require.h"
#include "sim/trace_replay.h"

namespace {

using ecuprobe::platform::TraceLine;

using ecuprobe::fuzzing::require;

// A line of bytes, written by the trace and read again, comes back unchanged.
void roundTrip(const TraceLine& line) {
    if (line.kind == TraceLine::Kind::note) {
        return;
    }
    require(!line.bytes.empty());
    ecuprobe::platform::FakeClock clock(line.timeMs);
    std::ostringstream out;
    ecuprobe::platform::WireTrace trace(out, clock);
    const auto direction =
        line.kind == TraceLine::Kind::written ? ecuprobe::platform::WireTrace::Direction::written
        : line.kind == TraceLine::Kind::echo  ? ecuprobe::platform::WireTrace::Direction::echo
                                              : ecuprobe::platform::WireTrace::Direction::received;
    trace.bytes(direction, line.bytes);
    std::string text = out.str();
    text.pop_back();
    const ecuprobe::platform::ParsedTraceLine again = ecuprobe::platform::parseTraceLine(text);
    require(again.line.has_value() && *again.line == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const ecuprobe::platform::ParsedTrace trace = ecuprobe::platform::readWireTrace(in);
    std::size_t lastNumber = 0;
    for (const ecuprobe::platform::TraceProblem& problem : trace.problems) {
        require(problem.lineNumber > lastNumber && problem.lineNumber <= size + 1);
        require(!problem.message.empty());
        lastNumber = problem.lineNumber;
    }
    for (const TraceLine& line : trace.lines) {
        roundTrip(line);
    }
    ecuprobe::platform::FakeClock clock;
    ecuprobe::sim::TraceReplay replay(clock, ecuprobe::sim::recordedExchanges(trace.lines));
    for (const auto& exchange : ecuprobe::sim::recordedExchanges(trace.lines)) {
        require(!exchange.request.empty());
        replay.fromTester(ecuprobe::link::encodeFrame(exchange.request));
    }
    std::uint8_t out[512];
    clock.advance(0xFFFF);
    while (replay.toTester(out, sizeof out) != 0) {
    }
    return 0;
}
