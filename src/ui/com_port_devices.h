#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_map.h"
#include "platform/serial_device_list.h"

namespace ecuprobe::ui {

// A detected serial device as a person tells it apart from the others:
// "/dev/ttyUSB0 — FTDI FT232R USB UART, 0403:6001, ftdi_sio".
QString deviceTitle(const platform::SerialDeviceInfo& device);

// The COM box's tooltip of a slot: its path and the detected device it leads
// to, or that none of them is there.
QString comSlotTip(int slot, const platform::PortMap& ports,
                   const std::vector<platform::SerialDeviceInfo>& devices);

// The detected device a slot leads to; null when none of them is there.
const platform::SerialDeviceInfo* slotDevice(int slot, const platform::PortMap& ports,
                                             const std::vector<platform::SerialDeviceInfo>& devices);

// The COM box's entry of a slot: "COM1", with the detected device beside it
// when there is one: "COM1 — FTDI FT232R USB UART (/dev/ttyUSB0)".
QString comSlotEntry(int slot, const platform::PortMap& ports,
                     const std::vector<platform::SerialDeviceInfo>& devices);

// Where a slot mapped to a device points: its /dev/serial/by-id link, which
// stays the same when the adapter is plugged into another USB socket, else its node.
std::string mappedPath(const platform::SerialDeviceInfo& device);

// The slots a person mapped to a detected device, kept with QSettings; empty
// where none was. The program lays them under its command line's own choices.
std::array<std::string, platform::PortMap::portCount> keptComPaths();
void keepComPath(int slot, const std::string& path);
void forgetComPath(int slot);

// The COM slot (0..3) last chosen on a console, kept for the next one; none
// before the first choice.
std::optional<int> keptComSlot();
void keepComSlot(int slot);

}  // namespace ecuprobe::ui
