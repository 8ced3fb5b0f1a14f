#include <CLI/CLI.hpp>

#include "cli/command.h"
#include "line/exit_codes.h"
#include "platform/serial_device_list.h"
#include "platform/usb_chips.h"

namespace ecuprobe::cli {

namespace {

std::string comSlots(const platform::SerialDeviceInfo& device, const platform::PortMap& ports) {
    std::string text;
    for (const int slot : platform::comSlotsOf(device, ports)) {
        text += text.empty() ? "COM" : ",COM";
        text += std::to_string(slot + 1);
    }
    return text.empty() ? "-" : text;
}

void printUsb(std::ostream& out, const platform::SerialDeviceInfo& device) {
    out << "    USB:     " << device.vendorId << ':' << device.productId;
    for (const std::string* part : {&device.maker, &device.product}) {
        if (!part->empty()) {
            out << "  " << *part;
        }
    }
    if (!device.serialNumber.empty()) {
        out << "  serial " << device.serialNumber;
    }
    out << '\n';
    const std::string_view chip = platform::usbChipName(device.vendorId, device.productId);
    out << "    chip:    " << (chip.empty() ? "unknown" : chip) << '\n';
}

void printDevice(std::ostream& out, const platform::SerialDeviceInfo& device,
                 const platform::PortMap& ports) {
    out << device.path << "  " << comSlots(device, ports) << "  "
        << platform::deviceUseText(device.use) << '\n';
    for (const std::string& link : device.byIdPaths) {
        out << "    by-id:   " << link << '\n';
    }
    if (!device.driver.empty()) {
        out << "    driver:  " << device.driver << '\n';
    }
    if (device.onUsb()) {
        printUsb(out, device);
    }
    if (device.latencyTimerMs) {
        out << "    latency: " << *device.latencyTimerMs << " ms (" << device.latencyTimerPath
            << (*device.latencyTimerMs > 1 ? "; 1 ms suits the K-line)" : ")") << '\n';
    }
}

int runPorts(RunContext& run) {
    const std::vector<platform::SerialDeviceInfo> devices =
        platform::listSerialDevices(platform::DeviceTreeRoots::fromEnvironment());
    if (devices.empty()) {
        run.out << "No serial device found (a ttyS with a UART behind it, ttyUSB, ttyACM).\n";
    }
    for (const platform::SerialDeviceInfo& device : devices) {
        printDevice(run.out, device, run.line.portMap());
    }
    return commandExitStatus(run, line::exitOk, nullptr);
}

}  // namespace

void addPortsCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* command =
        app.add_subcommand("ports", "List the serial devices that could carry a K-line adapter");
    command->footer(
        "Each line: the device, the COM slots that lead to it (--com1..--com4, ECUPROBE_COMn),\n"
        "and whether another program holds it; then its stable /dev/serial/by-id name, the\n"
        "driver, the USB identity and chip and, for FTDI adapters, the latency timer. Each\n"
        "device is opened for a moment to see whether it is busy.\n"
        "Examples:\n"
        "  ecuprobe-cli ports\n"
        "  ecuprobe-cli --com1 /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 "
        "ports");
    command->callback([&choice] {
        choice.run = runPorts;
        choice.usesLine = false;
    });
}

}  // namespace ecuprobe::cli
