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

// Up to the next '\n'; false at the end of input. Stores at most limit bytes of it.
bool nextLine(std::istream& in, std::string& line, bool& tooLong, std::size_t limit) {
    line.clear();
    tooLong = false;
    std::istreambuf_iterator<char> it(in);
    const std::istreambuf_iterator<char> end;
    if (it == end) {
        return false;
    }
    for (; it != end && *it != '\n'; ++it) {
        if (line.size() < limit) {
            line.push_back(*it);
        } else {
            tooLong = true;
        }
    }
    if (it != end) {
        ++it;
    }
    return true;
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

ParsedTrace readWireTrace(std::istream& in) {
    ParsedTrace trace;
    std::string text;
    bool tooLong = false;
    for (std::size_t number = 1; nextLine(in, text, tooLong, ParsedTrace::maxLineBytes); ++number) {
        if (tooLong) {
            trace.problems.push_back(
                {number, "longer than " + std::to_string(ParsedTrace::maxLineBytes) + " bytes"});
            continue;
        }
        ParsedTraceLine parsed = parseTraceLine(text);
        if (parsed.line) {
            trace.lines.push_back(std::move(*parsed.line));
        } else if (!parsed.error.empty()) {
            trace.problems.push_back({number, std::move(parsed.error)});
        }
    }
    return trace;
}

}  // namespace ecuprobe::platform
