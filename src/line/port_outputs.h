#pragma once

#include <string>
#include <string_view>

#include "platform/port_map.h"

namespace ecuprobe::line {

// Why `path`, given as `what` ("the trace file"), cannot be written: it is the
// device of one of the COM ports, by its own name or another (a link, a by-id
// name), so what is written there would go onto the K-line as requests, or block
// on the line for good. "" when it is none of them.
std::string outputOnPortProblem(std::string_view what, const std::string& path,
                                const platform::PortMap& ports);

// The same for the program's own stdout (1) or stderr (2), redirected by the shell
// onto the device of a COM port: every line the tester prints would go onto the K-line.
std::string standardStreamOnPortProblem(int stream, const platform::PortMap& ports);

}  // namespace ecuprobe::line
