#pragma once

#include <string>

namespace ecuprobe::cli {

// Why a serial device could not be opened, for the message on stderr: the
// serial layer only counts its failures, so the device is looked at again here
// (missing, no permission, held by another program, not a terminal).
std::string describeOpenFailure(const std::string& path);

}  // namespace ecuprobe::cli
