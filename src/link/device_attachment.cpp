#include "link/device_attachment.h"

#include <utility>

namespace ecuprobe::link {

DeviceAttachment::DeviceAttachment(platform::PortMap portMap,
                                   std::optional<std::string> traceOption)
    : ports(std::move(portMap)),
      tracePath(traceOption.value_or(platform::WireTrace::pathFromEnvironment())) {
    attachTo(device);
}

DeviceAttachment::DeviceAttachment(platform::SerialDevice& onDevice, platform::PortMap portMap,
                                   std::optional<std::string> traceOption)
    : ports(std::move(portMap)),
      tracePath(traceOption.value_or(platform::WireTrace::pathFromEnvironment())) {
    attachTo(onDevice);
}

void DeviceAttachment::attachTo(platform::SerialDevice& chosen) {
    if (!tracePath.empty()) {
        trace = platform::WireTrace::toFile(tracePath, clock);
    }
    FrameExchange& shared = processLink();
    shared.detach();
    shared.attach(chosen, clock, ports);
    shared.setTrace(trace.get());
}

DeviceAttachment::~DeviceAttachment() {
    FrameExchange& shared = processLink();
    shared.setTrace(nullptr);
    shared.detach();
}

}  // namespace ecuprobe::link
