#include "cli/com_open_check.h"
#include "cli/device_check.h"
#include "platform/win32_serial_device.h"
#include "platform/win32_system_comm.h"

namespace ecuprobe::cli {

std::string describeOpenFailure(const std::string& path) {
    platform::Win32SystemComm system;
    return describeComOpenFailure(platform::Win32SerialDevice::devicePath(path), system);
}

}  // namespace ecuprobe::cli
