#include "platform/wire_trace_reader.h"

#include <charconv>
#include <iterator>

namespace ecuprobe::platform {

namespace {

struct Direction {
    std::string_view token;
    TraceLine::Kind kind;
};

constexpr Direction directions[] = {
    {"TX", TraceLine::Kind::written},
    {"ECHO", TraceLine::Kind::echo},
    {"RX", TraceLine::Kind::received},
    {"--", TraceLine::Kind::note},
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view skipBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// The first word of text; text is left after it.
std::string_view takeWord(std::string_view& text) {
    text = skipBlanks(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

std::string quoted(std::string_view word) {
    constexpr std::size_t shown = 16;
    std::string text(1, '\'');
    text.append(word.substr(0, shown));
    text.append(word.size() > shown ? "...'" : "'");
    return text;
}

std::optional<std::uint8_t> hexByte(std::string_view word) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.size() != 2 || error != std::errc{} || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

// The hex bytes of the rest of a line, or the message for the first bad one.
std::string readBytes(std::string_view rest, std::vector<std::uint8_t>& bytes) {
    for (std::string_view word = takeWord(rest); !word.empty(); word = takeWord(rest)) {
        const std::optional<std::uint8_t> byte = hexByte(word);
        if (!byte) {
            return "not a hex byte: " + quoted(word);
        }
        bytes.push_back(*byte);
    }
    return bytes.empty() ? "no bytes after the direction" : "";
}

}  // namespace

ParsedTraceLine parseTraceLine(std::string_view text) {
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    std::string_view rest = text;
    const std::string_view stamp = takeWord(rest);
    if (stamp.empty()) {
        return {};
    }
    TraceLine line;
    const auto [end, error] =
        std::from_chars(stamp.data(), stamp.data() + stamp.size(), line.timeMs);
    if (error != std::errc{} || end != stamp.data() + stamp.size()) {
        return {std::nullopt, "not a time stamp in milliseconds: " + quoted(stamp)};
    }
    const std::string_view token = takeWord(rest);
    const Direction* direction = nullptr;
    for (const Direction& candidate : directions) {
        direction = candidate.token == token ? &candidate : direction;
    }
    if (direction == nullptr) {
        return {std::nullopt, "not TX, ECHO, RX or --: " + quoted(token)};
    }
    line.kind = direction->kind;
    if (line.kind == TraceLine::Kind::note) {
        line.note = std::string(skipBlanks(rest));
        return {std::move(line), {}};
    }
    if (std::string problem = readBytes(rest, line.bytes); !problem.empty()) {
        return {std::nullopt, std::move(problem)};
    }
    return {std::move(line), {}};
}

WireTraceReader::WireTraceReader(std::istream& from, Limits chosen) : input(from), limits(chosen) {}

// Up to the next '\n', of which at most maxLineBytes are kept.
WireTraceReader::Read WireTraceReader::readLine() {
    text.clear();
    std::istreambuf_iterator<char> it(input);
    const std::istreambuf_iterator<char> end;
    if (it == end) {
        return Read::end;
    }
    std::size_t length = 0;
    for (; it != end && *it != '\n'; ++it, ++length) {
        if (length == limits.lineEndBytes) {
            return Read::noEnd;
        }
        if (length < maxLineBytes) {
            text.push_back(*it);
        }
    }
    bytesRead += length + 1;
    if (it != end) {
        ++it;
    }
    return length > maxLineBytes ? Read::tooLong : Read::line;
}

std::optional<TraceLine> WireTraceReader::next() {
    while (stop == Stop::none) {
        if (bytesRead >= limits.inputBytes) {
            stop = Stop::inputBytes;
            break;
        }
        const Read read = readLine();
        ++lineNumber;
        if (read == Read::end) {
            break;
        }
        if (read == Read::noEnd) {
            stop = Stop::noLineEnd;
            break;
        }
        ParsedTraceLine parsed = read == Read::line ? parseTraceLine(text) : ParsedTraceLine{};
        if (parsed.line) {
            return std::move(parsed.line);
        }
        if (read == Read::tooLong) {
            parsed.error = "longer than " + std::to_string(maxLineBytes) + " bytes";
        }
        if (!parsed.error.empty()) {
            bad.push_back({lineNumber, std::move(parsed.error)});
            stop = bad.size() > limits.badLines ? Stop::badLines : Stop::none;
        }
    }
    return std::nullopt;
}

std::string WireTraceReader::stopMessage() const {
    switch (stop) {
        case Stop::none:
            break;
        case Stop::badLines:
            return "more than " + std::to_string(limits.badLines) +
                   " bad lines: this is no wire trace, reading stopped";
        case Stop::noLineEnd:
            return "line " + std::to_string(lineNumber) + " has no end within " +
                   std::to_string(limits.lineEndBytes) +
                   " bytes: this is no wire trace, reading stopped";
        case Stop::inputBytes:
            return "longer than " + std::to_string(limits.inputBytes) +
                   " bytes: the rest is left unread";
    }
    return {};
}

ParsedTrace readWireTrace(std::istream& in) {
    WireTraceReader reader(in);
    ParsedTrace trace;
    while (std::optional<TraceLine> line = reader.next()) {
        trace.lines.push_back(std::move(*line));
    }
    trace.problems = reader.problems();
    trace.stopped = reader.stopped();
    return trace;
}

}  // namespace ecuprobe::platform
