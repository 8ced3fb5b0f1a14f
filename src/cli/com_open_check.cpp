#include "cli/com_open_check.h"

namespace ecuprobe::cli {

namespace {

namespace win32 = platform::win32;

std::string reasonOf(std::uint32_t error) {
    switch (error) {
        case win32::errorFileNotFound:
        case win32::errorPathNotFound:
            return "no such device";
        // A COM port that another program has open is refused as access denied.
        case win32::errorAccessDenied:
        case win32::errorSharingViolation:
            return "busy: another program holds it";
        case win32::errorDeviceNotConnected:
        case win32::errorDeviceRemoved:
            return "the device is not connected";
        default:
            return "Windows error " + std::to_string(error);
    }
}

}  // namespace

std::string describeComOpenFailure(const std::string& devicePath, platform::Win32Comm& system) {
    const platform::Win32Handle handle =
        system.createFile(devicePath, win32::genericRead | win32::genericWrite, 0,
                          win32::openExisting, win32::fileAttributeNormal);
    if (handle == platform::invalidWin32Handle) {
        return reasonOf(system.lastError());
    }
    platform::Win32Dcb dcb;
    const std::string reason = system.getCommState(handle, dcb)
                                   ? "the line could not be set up (9600 8N1, raw)"
                                   : "not a serial device";
    system.closeHandle(handle);
    return reason;
}

}  // namespace ecuprobe::cli
