#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ecuprobe::cli {

// Lines from a descriptor (stdin) without ever blocking longer than asked, so
// that typed commands never hold up a poll tick.
class InputLines {
public:
    explicit InputLines(int descriptor) : fd(descriptor) {}

    // Waits up to timeoutMs for input and returns the complete lines that came,
    // possibly none (also when a signal cut the wait short). At the end of input
    // an unfinished last line is returned as a line of its own.
    std::vector<std::string> wait(std::uint32_t timeoutMs);
    bool ended() const { return atEnd; }

private:
    void takeLines(std::vector<std::string>& lines);

    int fd;
    std::string pending;
    bool atEnd = false;
};

}  // namespace ecuprobe::cli
