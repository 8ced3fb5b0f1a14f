#include "cli/input_lines.h"

#include <algorithm>

namespace ecuprobe::cli {

std::string lineTooLongMessage() {
    return "line refused: longer than " + std::to_string(InputLines::maxLineBytes) + " bytes";
}

std::vector<InputLine> InputLines::wait(std::uint32_t timeoutMs) {
    std::vector<InputLine> lines;
    if (atEnd) {
        return lines;
    }
    const InputBytes::Arrival arrival = source->wait(timeoutMs);
    take(arrival.bytes.data(), arrival.bytes.size(), lines);
    if (arrival.ended) {
        atEnd = true;
        if (!pending.empty() || overlong) {
            endLine(lines);
        }
    }
    return lines;
}

void InputLines::take(const char* bytes, std::size_t count, std::vector<InputLine>& lines) {
    const char* end = bytes + count;
    while (bytes != end) {
        const char* newline = std::find(bytes, end, '\n');
        if (!overlong) {
            pending.append(bytes, newline);
            if (pending.size() > maxLineBytes) {
                overlong = true;
                pending.clear();
                pending.shrink_to_fit();
            }
        }
        if (newline == end) {
            return;
        }
        endLine(lines);
        bytes = newline + 1;
    }
}

void InputLines::endLine(std::vector<InputLine>& lines) {
    if (overlong) {
        lines.push_back({{}, true});
    } else {
        if (!pending.empty() && pending.back() == '\r') {
            pending.pop_back();
        }
        lines.push_back({std::move(pending), false});
    }
    pending.clear();
    overlong = false;
}

}  // namespace ecuprobe::cli
