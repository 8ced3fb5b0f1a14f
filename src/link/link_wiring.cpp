#include "link/link_wiring.h"

#include <utility>

namespace ecuprobe::link {

LinkWiring::LinkWiring(platform::PortMap portMap, std::optional<std::string> tracePath)
    : ports(std::move(portMap)),
      trace(tracePath ? platform::WireTrace::toFile(*tracePath, clock)
                      : platform::WireTrace::fromEnvironment(clock)) {
    FrameExchange& shared = processLink();
    shared.detach();
    shared.attach(device, clock, ports);
    shared.setTrace(trace.get());
}

LinkWiring::~LinkWiring() {
    FrameExchange& shared = processLink();
    shared.setTrace(nullptr);
    shared.detach();
}

}  // namespace ecuprobe::link
