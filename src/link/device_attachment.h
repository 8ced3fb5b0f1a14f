#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/wire_trace.h"

#ifdef _WIN32
#include "platform/win32_serial_device.h"
#include "platform/win32_system_comm.h"
#else
#include "platform/posix_serial_device.h"
#endif

namespace ecuprobe::link {

// Puts the one process-wide link on a real serial device for as long as it lives:
// a POSIX terminal device or a Windows COM port, the real clock, COM1..COM4 from
// the given map, and a wire trace when one is asked for. Closes the port and
// detaches on destruction.
class DeviceAttachment {
public:
    // tracePath: where to log the line's bytes; without it, ECUPROBE_TRACE decides.
    explicit DeviceAttachment(platform::PortMap portMap = platform::PortMap::fromEnvironment(),
                              std::optional<std::string> tracePath = std::nullopt);
    // The same on a device of the caller's, which outlives this one: the
    // in-process simulator where no pseudo-terminal can carry it.
    DeviceAttachment(platform::SerialDevice& onDevice, platform::PortMap portMap,
                     std::optional<std::string> tracePath);
    DeviceAttachment(const DeviceAttachment&) = delete;
    DeviceAttachment& operator=(const DeviceAttachment&) = delete;
    ~DeviceAttachment();

    FrameExchange& link() const { return processLink(); }
    const platform::PortMap& portMap() const { return ports; }
    bool tracing() const { return trace != nullptr; }
    // Where a trace was asked for (the option, else ECUPROBE_TRACE); empty when none was.
    const std::string& requestedTracePath() const { return tracePath; }
    // A trace was asked for but its file could not be opened, or a line of it
    // could not be written: the log is not what the person relies on.
    bool traceBroken() const { return !tracePath.empty() && (trace == nullptr || trace->failed()); }

private:
    void attachTo(platform::SerialDevice& chosen);

    platform::PortMap ports;
    platform::RealClock clock;
#ifdef _WIN32
    platform::Win32SystemComm comm;
    platform::Win32SerialDevice device{comm};
#else
    platform::PosixSerialDevice device;
#endif
    std::string tracePath;
    std::unique_ptr<platform::WireTrace> trace;
};

}  // namespace ecuprobe::link
