#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/port_map.h"

namespace ecuprobe::platform {

// Whether another program holds a device, as far as opening it for a moment tells.
enum class DeviceUse : std::uint8_t { free, busy, noAccess, unknown };

// One serial device that could carry a K-line adapter, as sysfs and /dev describe it.
struct SerialDeviceInfo {
    std::string name;  // "ttyUSB0"
    std::string path;  // "/dev/ttyUSB0"
    // Links under /dev/serial/by-id that lead to it: stable across replugging.
    std::vector<std::string> byIdPaths;
    std::string driver;  // "ftdi_sio", "cdc_acm", "serial8250"; empty when unknown
    // USB identity, empty for a device that is not on USB.
    std::string vendorId;  // four hex digits, as sysfs writes them
    std::string productId;
    std::string maker;
    std::string product;
    std::string serialNumber;
    // FTDI adapters hold received bytes back this long (ms); nullopt where there is no such knob.
    std::optional<int> latencyTimerMs;
    std::string latencyTimerPath;
    DeviceUse use = DeviceUse::unknown;

    bool onUsb() const { return !vendorId.empty(); }
};

// Where the scan looks: the roots are parameters so that tests run on a fake tree.
struct DeviceTreeRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";

    // ECUPROBE_SYSFS_ROOT and ECUPROBE_DEV_ROOT where set, so that the tester can be
    // run against a fake tree (the simulator's USB adapter); else /sys and /dev.
    static DeviceTreeRoots fromEnvironment();
};

// Every ttyUSB and ttyACM device, and every ttyS with a real UART behind it (sysfs
// type not 0), sorted by name. Opens each device node for a moment to tell
// whether another program holds it (the flock and exclusive mode the tester
// itself takes); opening a serial line raises DTR and RTS for that moment.
std::vector<SerialDeviceInfo> listSerialDevices(const DeviceTreeRoots& roots = {});

// The scan's entry for the device behind path (a /dev node, a by-id link or any
// other link to it); nullopt when path leads to none of them.
std::optional<SerialDeviceInfo> findSerialDevice(const std::string& path,
                                                 const DeviceTreeRoots& roots = {});

// The COM slots (0..3) whose paths lead to the device.
std::vector<int> comSlotsOf(const SerialDeviceInfo& device, const PortMap& ports);

std::string_view deviceUseText(DeviceUse use);

// The milliseconds an FTDI latency_timer file holds; nullopt when it is missing
// or holds no such number.
std::optional<int> readLatencyTimerFile(const std::string& path);

}  // namespace ecuprobe::platform
