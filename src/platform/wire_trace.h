#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace ecuprobe::platform {

// Optional log of every byte on the line, in hex, with a millisecond timestamp
// and its direction. The link holds a null pointer while tracing is off.
class WireTrace {
public:
    enum class Direction { written, echo, received };

    WireTrace(std::ostream& sink, Clock& stampClock) : out(sink), clock(stampClock) {}

    // The file ECUPROBE_TRACE names; empty when it is unset or empty.
    static std::string pathFromEnvironment();
    // A trace appended to path, or null when the file cannot be opened. A line that
    // a terminal or a pipe holds back gives way to a stop (see openAppendFile).
    static std::unique_ptr<WireTrace> toFile(const std::string& path, Clock& clock);

    void bytes(Direction direction, std::span<const std::uint8_t> data);
    // A line of text between the bytes: link errors, injected faults.
    void note(std::string_view text);
    // A line could not be written completely (disk full, device error).
    bool failed() const { return !out; }

private:
    void stamp();

    std::unique_ptr<std::ostream> ownedFile;
    std::ostream& out;
    Clock& clock;
};

}  // namespace ecuprobe::platform
