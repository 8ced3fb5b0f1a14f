#include <windows.h>

#include <CLI/CLI.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/wide_text.h"
#include "line/exit_codes.h"
#include "platform/win32_serial_device.h"
#include "platform/win32_system_comm.h"

namespace ecuprobe::cli {

namespace {

struct ComPort {
    std::string name;    // COM3
    std::string device;  // \Device\Serial0, \Device\VCP0
};

// The serial ports Windows knows just now: its own list under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, which drivers fill as devices come and go.
std::vector<ComPort> registryComPorts() {
    std::vector<ComPort> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, 256> device{};
        std::array<wchar_t, 64> name{};
        DWORD deviceSize = static_cast<DWORD>(device.size());
        DWORD nameBytes = static_cast<DWORD>(name.size() * sizeof(wchar_t)) - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegEnumValueW(key, index, device.data(), &deviceSize, nullptr, &type,
                            reinterpret_cast<BYTE*>(name.data()), &nameBytes) != ERROR_SUCCESS) {
            break;
        }
        if (type == REG_SZ) {
            ports.push_back({utf8FromWide(name.data()), utf8FromWide(device.data())});
        }
    }
    ::RegCloseKey(key);
    return ports;
}

std::string comSlots(const std::string& name, const platform::PortMap& ports) {
    const std::string device = platform::Win32SerialDevice::devicePath(name);
    std::string text;
    for (int slot = 0; slot < platform::PortMap::portCount; ++slot) {
        if (::_stricmp(platform::Win32SerialDevice::devicePath(ports.path(slot)).c_str(),
                       device.c_str()) == 0) {
            text += text.empty() ? "COM" : ",COM";
            text += std::to_string(slot + 1);
        }
    }
    return text.empty() ? "-" : text;
}

int runPorts(RunContext& run) {
    const std::vector<ComPort> found = registryComPorts();
    if (found.empty()) {
        run.out << "No serial port found (HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM is empty).\n";
    }
    platform::Win32SystemComm comm;
    for (const ComPort& port : found) {
        run.out << port.name << "  " << comSlots(port.name, run.line.portMap()) << "  "
                << port.device << '\n';
        if (const std::optional<int> latency = comm.ftdiLatencyTimer(port.name)) {
            run.out << "    latency: " << *latency << " ms (FTDI"
                    << (*latency > 1 ? "; 1 ms suits the K-line)" : ")") << '\n';
        }
    }
    return commandExitStatus(run, line::exitOk, nullptr);
}

}  // namespace

void addPortsCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* command =
        app.add_subcommand("ports", "List the COM ports that could carry a K-line adapter");
    command->footer(
        "Each line: the COM port as Windows names it, the COM slots that lead to it\n"
        "(--com1..--com4, ECUPROBE_COMn) and the driver's device behind it. A USB adapter's\n"
        "number is in the Device Manager under Ports (COM & LPT).\n"
        "Examples:\n"
        "  ecuprobe-cli.exe ports\n"
        "  ecuprobe-cli.exe --com1 COM12 ports");
    command->callback([&choice] {
        choice.run = runPorts;
        choice.usesLine = false;
    });
}

}  // namespace ecuprobe::cli
