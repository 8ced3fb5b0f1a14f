#include "line/simulator_line.h"
#include "platform/in_memory_serial_device.h"
#include "sim/usb_adapter_line.h"

namespace ecuprobe::line {

struct SimulatorLine::Serving {
    Serving(platform::Clock& clock, sim::SimulatedEcu& ecu, int usbLatencyMs)
        : usb(ecu, clock, usbLatencyMs, false), device(clock, ecu) {
        if (usbLatencyMs > 0) {
            device.setPeer(usb);
        }
    }

    sim::UsbAdapterLine usb;
    platform::InMemorySerialDevice device;
};

SimulatorLine::SimulatorLine(sim::SimulatedEcu& ecu, platform::Clock& clock, int usbLatencyMs)
    : simulator(ecu), simClock(clock), usbLatency(usbLatencyMs) {}

SimulatorLine::~SimulatorLine() = default;

// The slot keeps its COM name: the in-memory device opens whatever it is given.
bool SimulatorLine::open(int /*slot*/, platform::PortMap& /*ports*/) {
    serving = std::make_unique<Serving>(simClock, simulator, usbLatency);
    return true;
}

platform::SerialDevice* SimulatorLine::device() {
    return serving ? &serving->device : nullptr;
}

}  // namespace ecuprobe::line
