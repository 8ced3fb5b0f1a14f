#include "cli/input_lines.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>

namespace ecuprobe::cli {

std::string lineTooLongMessage() {
    return "line refused: longer than " + std::to_string(InputLines::maxLineBytes) + " bytes";
}

std::vector<InputLine> InputLines::wait(std::uint32_t timeoutMs) {
    std::vector<InputLine> lines;
    if (atEnd) {
        return lines;
    }
    pollfd watched{fd, POLLIN, 0};
    const int timeout = timeoutMs > INT_MAX ? INT_MAX : static_cast<int>(timeoutMs);
    if (::poll(&watched, 1, timeout) <= 0) {
        return lines;
    }
    std::array<char, maxLineBytes> chunk{};
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got < 0) {
        // A terminal that has gone reads EIO for ever: take it as the end of input.
        atEnd = errno != EINTR && errno != EAGAIN;
        return lines;
    }
    if (got == 0) {
        atEnd = true;
        if (!pending.empty() || overlong) {
            endLine(lines);
        }
        return lines;
    }
    take(chunk.data(), static_cast<std::size_t>(got), lines);
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
