#pragma once

#include "ecu/ecu_session.h"
#include "ecu/owed_store.h"
#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/serial_device.h"

namespace ecuprobe::testing {

// The link, exchangeBusy, the chosen port and what the tester may still hold
// per port are process-wide: a test puts the link on its own line and leaves
// them closed and clear for the next.
inline void resetProcessWideState() {
    ecu::exchangeBusy = 0;
    ecu::chosenPortNumber = 0;
    ecu::processOwedMemory().forgetAll();
}

inline void attachProcessLink(platform::SerialDevice& device, platform::Clock& clock,
                              const platform::PortMap& ports) {
    link::processLink().detach();
    link::processLink().attach(device, clock, ports);
    resetProcessWideState();
}

inline void detachProcessLink() {
    link::processLink().detach();
    resetProcessWideState();
}

}  // namespace ecuprobe::testing
