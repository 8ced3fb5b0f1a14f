#pragma once

#include <string>

#include "platform/win32_comm.h"

namespace ecuprobe::cli {

// Why a Windows COM port could not be opened, looked at again through the
// Win32 calls: missing, held by another program, not a serial device. devicePath
// is the name CreateFileA takes (\\.\COM5).
std::string describeComOpenFailure(const std::string& devicePath, platform::Win32Comm& system);

}  // namespace ecuprobe::cli
