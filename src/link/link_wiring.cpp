#include "link/link_wiring.h"

#include <utility>

namespace ecuprobe::link {

LinkWiring::LinkWiring(platform::PortMap portMap, std::optional<std::string> traceOption)
    : ports(std::move(portMap)),
      tracePath(traceOption.value_or(platform::WireTrace::pathFromEnvironment())) {
    attachTo(device);
}

LinkWiring::LinkWiring(platform::SerialDevice& onDevice, platform::PortMap portMap,
                       std::optional<std::string> traceOption)
    : ports(std::move(portMap)),
      tracePath(traceOption.value_or(platform::WireTrace::pathFromEnvironment())) {
    attachTo(onDevice);
}

void LinkWiring::attachTo(platform::SerialDevice& chosen) {
    if (!tracePath.empty()) {
        trace = platform::WireTrace::toFile(tracePath, clock);
    }
    FrameExchange& shared = processLink();
    shared.detach();
    shared.attach(chosen, clock, ports);
    shared.setTrace(trace.get());
}

LinkWiring::~LinkWiring() {
    FrameExchange& shared = processLink();
    shared.setTrace(nullptr);
    shared.detach();
}

}  // namespace ecuprobe::link
