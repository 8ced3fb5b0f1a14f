#pragma once

#include "platform/in_memory_serial_device.h"

namespace ecuprobe::sim {

// What a PtyServer serves at the far end of the line: the simulated ECU with its
// adapter, or the answers of a recorded session.
class ServedLine : public platform::WirePeer {
public:
    // Times the device has vanished so far; the server recreates the line on each.
    virtual int vanishCount() const { return 0; }
};

}  // namespace ecuprobe::sim
