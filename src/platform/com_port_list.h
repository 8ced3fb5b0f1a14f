#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/serial_device_list.h"

namespace ecuprobe::platform {

// What Windows tells of one serial port through SetupAPI (the Ports class).
struct ComPortRecord {
    std::string portName;      // "COM5": the device key's PortName
    std::string friendlyName;  // "USB Serial Port (COM5)"; empty when none
    std::string hardwareId;    // "FTDIBUS\COMPORT&VID_0403&PID_6001", "USB\VID_2341&PID_0043"
    std::string service;       // "FTDIBUS", "usbser", "Serial"
    std::string maker;         // "FTDI"; "(Standard port types)" names nobody
};

// The COM ports there are just now, one entry each, by number (COM2 before
// COM10): every port that HKLM\HARDWARE\DEVICEMAP\SERIALCOMM lists (present),
// and every COM port of the records, each described by its record where there
// is one. Names that are no COM port's (LPT1) are left out.
std::vector<SerialDeviceInfo> comPortDevices(const std::vector<std::string>& present,
                                             const std::vector<ComPortRecord>& records);

// "USB Serial Port (COM5)" without its port: "USB Serial Port".
std::string productOfFriendlyName(std::string_view friendlyName, std::string_view portName);

// The USB vendor and product ids a hardware id names ("0403", "6001"); empty
// when it names none.
std::pair<std::string, std::string> usbIdsOf(std::string_view hardwareId);

}  // namespace ecuprobe::platform
