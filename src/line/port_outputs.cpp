#include "line/port_outputs.h"

#include "platform/process_files.h"

namespace ecuprobe::line {

namespace {

std::string portName(int slot, const std::string& device) {
    return "the serial port COM" + std::to_string(slot + 1) + " (" + device + ")";
}

}  // namespace

std::string outputOnPortProblem(std::string_view what, const std::string& path,
                                const platform::PortMap& ports) {
    for (int slot = 0; slot < platform::PortMap::portCount && !path.empty(); ++slot) {
        const std::string& device = ports.path(slot);
        if (!device.empty() && platform::sameFile(path, device)) {
            return std::string(what) + " " + path + " is " + portName(slot, device) +
                   ": it would be written onto the K-line; give a file";
        }
    }
    return {};
}

std::string standardStreamOnPortProblem(int stream, const platform::PortMap& ports) {
    for (int slot = 0; slot < platform::PortMap::portCount; ++slot) {
        const std::string& device = ports.path(slot);
        if (!device.empty() && platform::standardStreamIs(stream, device)) {
            return std::string(stream == 2 ? "stderr" : "stdout") + " is " +
                   portName(slot, device) +
                   ": what the tester prints would go onto the K-line; redirect it to a file";
        }
    }
    return {};
}

}  // namespace ecuprobe::line
