#include "cli/input_lines.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>

namespace ecuprobe::cli {

std::vector<std::string> InputLines::wait(std::uint32_t timeoutMs) {
    std::vector<std::string> lines;
    if (atEnd) {
        return lines;
    }
    pollfd watched{fd, POLLIN, 0};
    const int timeout = timeoutMs > INT_MAX ? INT_MAX : static_cast<int>(timeoutMs);
    if (::poll(&watched, 1, timeout) <= 0) {
        return lines;
    }
    std::array<char, 512> chunk{};
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got < 0) {
        // A terminal that has gone reads EIO for ever: take it as the end of input.
        atEnd = errno != EINTR && errno != EAGAIN;
        return lines;
    }
    if (got == 0) {
        atEnd = true;
        if (!pending.empty()) {
            lines.push_back(std::move(pending));
            pending.clear();
        }
        return lines;
    }
    pending.append(chunk.data(), static_cast<std::size_t>(got));
    takeLines(lines);
    return lines;
}

void InputLines::takeLines(std::vector<std::string>& lines) {
    std::size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, newline);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        pending.erase(0, newline + 1);
    }
}

}  // namespace ecuprobe::cli
