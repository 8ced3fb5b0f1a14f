#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/serial_device.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::line {

// Where the tester finds the simulated ECU. On POSIX: a pseudo-terminal served
// from a thread of its own behind a link in a private folder, which the chosen
// COM slot then names, so that the tester opens it like any adapter. On Windows,
// which has no pseudo-terminals: an in-memory device in this process, on which
// the simulator answers in real time.
class SimulatorLine {
public:
    // usbLatencyMs: behind an emulated FTDI USB adapter with that latency timer; 0 for none.
    SimulatorLine(sim::SimulatedEcu& ecu, platform::Clock& clock, int usbLatencyMs = 0);
    SimulatorLine(const SimulatorLine&) = delete;
    SimulatorLine& operator=(const SimulatorLine&) = delete;
    ~SimulatorLine();

    // Serves the simulator in slot 0..3 of ports; false when it cannot, error() says why.
    bool open(int slot, platform::PortMap& ports);
    const std::string& error() const { return problem; }
    // The device the tester has to use for it; null when the tester opens the
    // slot's path with its own serial device.
    platform::SerialDevice* device();

private:
    struct Serving;

    sim::SimulatedEcu& simulator;
    platform::Clock& simClock;
    int usbLatency;
    std::unique_ptr<Serving> serving;
    std::string problem;
};

}  // namespace ecuprobe::line
