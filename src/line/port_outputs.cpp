#include "line/port_outputs.h"

#include "platform/process_files.h"

namespace ecuprobe::line {

std::string outputOnPortProblem(std::string_view what, const std::string& path,
                                const platform::PortMap& ports) {
    for (int slot = 0; slot < platform::PortMap::portCount && !path.empty(); ++slot) {
        const std::string& device = ports.path(slot);
        if (!device.empty() && platform::sameFile(path, device)) {
            return std::string(what) + " " + path + " is the serial port COM" +
                   std::to_string(slot + 1) + " (" + device +
                   "): it would be written onto the K-line; give a file";
        }
    }
    return {};
}

}  // namespace ecuprobe::line
