#include "platform/wire_trace.h"

#include <cstdio>
#include <cstdlib>

#include "platform/process_files.h"

namespace ecuprobe::platform {

std::string WireTrace::pathFromEnvironment() {
    const char* path = std::getenv("ECUPROBE_TRACE");
    return path != nullptr ? path : "";
}

std::unique_ptr<WireTrace> WireTrace::toFile(const std::string& path, Clock& clock) {
    std::unique_ptr<std::ostream> file = openAppendFile(path);
    if (!file) {
        return nullptr;
    }
    auto trace = std::make_unique<WireTrace>(*file, clock);
    trace->ownedFile = std::move(file);
    return trace;
}

void WireTrace::stamp() {
    char text[16];
    std::snprintf(text, sizeof text, "%10u ", clock.tickMs());
    out << text;
}

void WireTrace::bytes(Direction direction, std::span<const std::uint8_t> data) {
    if (data.empty()) {
        return;
    }
    stamp();
    switch (direction) {
        case Direction::written:
            out << "TX  ";
            break;
        case Direction::echo:
            out << "ECHO";
            break;
        case Direction::received:
            out << "RX  ";
            break;
    }
    char hex[4];
    for (std::uint8_t b : data) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        out << hex;
    }
    out << '\n';
    out.flush();
}

void WireTrace::note(std::string_view text) {
    stamp();
    out << "--   " << text << '\n';
    out.flush();
}

}  // namespace ecuprobe::platform
