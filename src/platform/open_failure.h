#pragma once

#include <cstdint>
#include <string>

namespace ecuprobe::platform {

// Why a serial device could not be opened or set up, named by the device at the
// call that failed, from the system's own error.
enum class OpenFailureCause : std::uint8_t {
    none,
    notFound,
    // POSIX only: Debian lets the dialout group alone open serial devices.
    permission,
    // POSIX only: refused for all that the group does (the process is in it, or
    // the device is not the group's); systemText names its owner, group and mode.
    modeDenied,
    // Another program holds the port (its lock, its exclusive mode, or on Windows its handle).
    busy,
    notTty,
    lineSettings,
    // The device is there by name but not behind it (an adapter unplugged, a UART missing).
    gone,
    other,
};

struct OpenFailure {
    OpenFailureCause cause = OpenFailureCause::none;
    // The system's own words for a failure without a cause of its own here, the
    // device's access for modeDenied; empty otherwise.
    std::string systemText;

    bool failed() const { return cause != OpenFailureCause::none; }
    bool operator==(const OpenFailure&) const = default;
};

// In Russian, for both testers' messages: the cause, and for one without a name
// here the system's words after it; empty for none.
std::string openFailureText(const OpenFailure& failure);

}  // namespace ecuprobe::platform
