#include "sim/trace_replay.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace ecuprobe::sim {

namespace {

using platform::TraceLine;

struct Arrival {
    std::uint32_t atMs;
    std::uint8_t byte;
};

// Splits the line's traffic into exchanges. What comes back while a request is
// still being written (a simulator's trace logs the echo in pieces) belongs to
// that request; what comes after it, up to the next request, too.
class ExchangeBuilder {
public:
    void written(std::uint8_t byte, std::uint32_t atMs) {
        if (collector.atFrameStart()) {
            finishOpen();
            early.clear();
            inFrame = true;
        }
        if (link::feedByte(collector, frame, byte) != link::FeedResult::complete) {
            return;
        }
        const std::size_t length = collector.rxLength - 2u;
        collector.restart();
        inFrame = false;
        open.request.assign(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
        open.reply.clear();
        opened = true;
        openEndMs = atMs;
        for (const Arrival& a : early) {
            open.reply.push_back({0, a.byte});
        }
        early.clear();
    }

    void cameBack(std::uint8_t byte, std::uint32_t atMs) {
        if (opened) {
            // Unsigned difference: survives the wrap of the tick count.
            const auto after = static_cast<std::int32_t>(atMs - openEndMs);
            open.reply.push_back({static_cast<std::uint32_t>(std::max(after, 0)), byte});
        } else if (inFrame) {
            early.push_back({atMs, byte});
        }
    }

    void add(const TraceLine& line) {
        for (const std::uint8_t byte : line.bytes) {
            if (line.kind == TraceLine::Kind::written) {
                written(byte, line.timeMs);
            } else {
                cameBack(byte, line.timeMs);
            }
        }
        traffic += line.bytes.size();
    }

    // Bytes of traffic taken in so far: more than the exchanges keep.
    std::size_t trafficBytes() const { return traffic; }

    std::vector<RecordedExchange> take() {
        finishOpen();
        return std::move(exchanges);
    }

private:
    void finishOpen() {
        if (opened) {
            exchanges.push_back(std::move(open));
            open = {};
            opened = false;
        }
    }

    link::FrameCollector collector;
    std::array<std::uint8_t, link::frameBufferSize> frame{};
    bool inFrame = false;
    std::vector<Arrival> early;
    // The exchange whose request is complete and whose reply is still coming.
    RecordedExchange open;
    bool opened = false;
    std::uint32_t openEndMs = 0;
    std::vector<RecordedExchange> exchanges;
    std::size_t traffic = 0;
};

}  // namespace

std::vector<RecordedExchange> recordedExchanges(std::span<const TraceLine> lines) {
    ExchangeBuilder builder;
    for (const TraceLine& line : lines) {
        builder.add(line);
    }
    return builder.take();
}

TraceRecording recordTrace(std::istream& in, const RecordingLimits& limits) {
    platform::WireTraceReader reader(in, limits.reader);
    ExchangeBuilder builder;
    TraceRecording recording;
    while (std::optional<TraceLine> line = reader.next()) {
        if (builder.trafficBytes() >= limits.trafficBytes) {
            recording.stopMessage = "more than " + std::to_string(limits.trafficBytes) +
                                    " bytes of traffic: the rest is left unread";
            break;
        }
        builder.add(*line);
    }
    recording.exchanges = builder.take();
    recording.problems = reader.problems();
    using Stop = platform::WireTraceReader::Stop;
    if (reader.stopped() != Stop::none) {
        recording.stopMessage = reader.stopMessage();
        recording.notATrace = reader.stopped() != Stop::inputBytes;
    }
    return recording;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char hex[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", b);
        text += hex;
    }
    return text;
}

TraceReplay::TraceReplay(platform::Clock& replayClock, std::vector<RecordedExchange> exchanges,
                         Notice told)
    : clock(replayClock), recorded(std::move(exchanges)), notice(std::move(told)) {
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const std::vector<std::uint8_t>& request = recorded[i].request;
        byRequest[std::string(request.begin(), request.end())].exchanges.push_back(i);
    }
}

void TraceReplay::fromTester(std::span<const std::uint8_t> bytes) {
    const std::uint32_t now = clock.tickMs();
    for (const std::uint8_t byte : bytes) {
        takeByte(byte, now);
    }
}

void TraceReplay::takeByte(std::uint8_t byte, std::uint32_t nowMs) {
    if (collector.atFrameStart()) {
        written.clear();
    }
    written.push_back(byte);
    switch (link::feedByte(collector, frame, byte)) {
        case link::FeedResult::collecting:
            return;
        case link::FeedResult::dropped:
            // No request at all (a bad sum): an adapter still hands it back.
            echoWritten(nowMs);
            return;
        case link::FeedResult::complete:
            break;
    }
    const std::size_t length = collector.rxLength - 2u;
    collector.restart();
    serve({frame.data(), length}, nowMs);
}

void TraceReplay::echoWritten(std::uint32_t nowMs) {
    for (const std::uint8_t b : written) {
        outbound.push_back({nowMs, b});
    }
    written.clear();
}

void TraceReplay::serve(std::span<const std::uint8_t> request, std::uint32_t nowMs) {
    // The tester has moved on: what was left of the last reply is not sent any more.
    outbound.clear();
    const std::string key(request.begin(), request.end());
    const auto found = byRequest.find(key);
    if (found == byRequest.end()) {
        echoWritten(nowMs);
        if (toldUnknown.insert(key).second && notice) {
            notice("request " + hexBytes(request) + " is not in the trace: echoed, not answered");
        }
        return;
    }
    Replies& replies = found->second;
    const RecordedExchange& exchange =
        recorded[replies.exchanges[std::min(replies.next, replies.exchanges.size() - 1)]];
    replies.next = std::min(replies.next + 1, replies.exchanges.size());
    written.clear();
    for (const TimedByte& timed : exchange.reply) {
        outbound.push_back({nowMs + timed.afterMs, timed.byte});
    }
}

std::size_t TraceReplay::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::uint32_t now = clock.tickMs();
    std::size_t n = 0;
    while (n < max && !outbound.empty() &&
           static_cast<std::int32_t>(now - outbound.front().dueMs) >= 0) {
        buffer[n++] = outbound.front().byte;
        outbound.pop_front();
    }
    return n;
}

std::optional<std::uint32_t> TraceReplay::msUntilDue() const {
    if (outbound.empty()) {
        return std::nullopt;
    }
    return msUntil(outbound.front().dueMs, clock.tickMs());
}

}  // namespace ecuprobe::sim
