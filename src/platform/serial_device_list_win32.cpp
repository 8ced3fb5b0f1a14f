#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <array>
#include <string>
#include <vector>

#include "platform/com_port_list.h"
#include "platform/process_files.h"
#include "platform/serial_device_list.h"
#include "platform/win32_system_comm.h"

namespace ecuprobe::platform {

namespace {

std::string utf8Of(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: the ports whose drivers run just now.
std::vector<std::string> presentPorts() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, 256> device{};
        std::array<wchar_t, 64> name{};
        DWORD deviceSize = static_cast<DWORD>(device.size());
        DWORD nameBytes = static_cast<DWORD>((name.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        if (::RegEnumValueW(key, index, device.data(), &deviceSize, nullptr, &type,
                            reinterpret_cast<BYTE*>(name.data()), &nameBytes) != ERROR_SUCCESS) {
            break;
        }
        if (type == REG_SZ) {
            names.push_back(utf8Of(name.data()));
        }
    }
    ::RegCloseKey(key);
    return names;
}

// A text property of a device; for a list (the hardware ids) its first entry.
std::string deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    std::array<wchar_t, 512> text{};
    if (::SetupDiGetDeviceRegistryPropertyW(
            set, &device, property, nullptr, reinterpret_cast<BYTE*>(text.data()),
            static_cast<DWORD>((text.size() - 2) * sizeof(wchar_t)), nullptr) == FALSE) {
        return {};
    }
    return utf8Of(text.data());
}

std::string portNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::array<wchar_t, 64> name{};
    DWORD bytes = static_cast<DWORD>((name.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const bool read =
        ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name.data()),
                           &bytes) == ERROR_SUCCESS &&
        type == REG_SZ;
    ::RegCloseKey(key);
    return read ? utf8Of(name.data()) : std::string();
}

// The present devices of the Ports (COM & LPT) class, as the Device Manager names them.
std::vector<ComPortRecord> portRecords() {
    std::vector<ComPortRecord> records;
    const HDEVINFO set =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        return records;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &device) != FALSE; ++index) {
        records.push_back({portNameOf(set, device), deviceProperty(set, device, SPDRP_FRIENDLYNAME),
                           deviceProperty(set, device, SPDRP_HARDWAREID),
                           deviceProperty(set, device, SPDRP_SERVICE),
                           deviceProperty(set, device, SPDRP_MFG)});
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return records;
}

}  // namespace

// Nothing is opened: opening a port would raise its DTR and RTS.
std::vector<SerialDeviceInfo> listSerialDevices(const DeviceTreeRoots& /*roots*/) {
    std::vector<SerialDeviceInfo> devices = comPortDevices(presentPorts(), portRecords());
    Win32SystemComm comm;
    for (SerialDeviceInfo& device : devices) {
        device.latencyTimerMs = comm.ftdiLatencyTimer(device.name);
    }
    return devices;
}

std::optional<SerialDeviceInfo> findSerialDevice(const std::string& path,
                                                 const DeviceTreeRoots& roots) {
    for (SerialDeviceInfo& device : listSerialDevices(roots)) {
        if (sameFile(path, device.path)) {
            return std::move(device);
        }
    }
    return std::nullopt;
}

// "COM12", "\\.\COM12" and "com12" are one port; COM1 is not COM12.
std::vector<int> comSlotsOf(const SerialDeviceInfo& device, const PortMap& ports) {
    std::vector<int> slots;
    for (int slot = 0; slot < PortMap::portCount; ++slot) {
        if (sameFile(ports.path(slot), device.path)) {
            slots.push_back(slot);
        }
    }
    return slots;
}

}  // namespace ecuprobe::platform
