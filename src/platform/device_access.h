#pragma once

#include <optional>
#include <string>

#include "platform/open_failure.h"

namespace ecuprobe::platform {

// Who may open a device: its owner, its group, its permission bits, and whether
// this process is in that group.
struct DeviceAccess {
    std::string owner;
    std::string group;
    unsigned mode = 0;
    bool callerInGroup = false;
};

// Why the system refused a device: the dialout group when the device is that
// group's and this process is not in it; otherwise its owner, group and mode, for
// joining the group would change nothing.
OpenFailure refusedAccess(const DeviceAccess& device);

// POSIX only: the device's access as the system keeps it; none when it cannot be read.
std::optional<DeviceAccess> readDeviceAccess(const std::string& path);

}  // namespace ecuprobe::platform
