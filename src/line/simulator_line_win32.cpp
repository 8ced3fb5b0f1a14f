#include "line/simulator_line.h"
#include "platform/in_memory_serial_device.h"

namespace ecuprobe::line {

struct SimulatorLine::Serving {
    Serving(platform::Clock& clock, sim::SimulatedEcu& ecu) : device(clock, ecu) {}

    platform::InMemorySerialDevice device;
};

SimulatorLine::SimulatorLine(sim::SimulatedEcu& ecu, platform::Clock& clock)
    : simulator(ecu), simClock(clock) {}

SimulatorLine::~SimulatorLine() = default;

// The slot keeps its COM name: the in-memory device opens whatever it is given.
bool SimulatorLine::open(int /*slot*/, platform::PortMap& /*ports*/) {
    serving = std::make_unique<Serving>(simClock, simulator);
    return true;
}

platform::SerialDevice* SimulatorLine::device() {
    return serving ? &serving->device : nullptr;
}

}  // namespace ecuprobe::line
