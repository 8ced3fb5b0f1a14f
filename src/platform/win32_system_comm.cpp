#include "platform/win32_system_comm.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace ecuprobe::platform {

namespace {

static_assert(win32::genericRead == GENERIC_READ && win32::genericWrite == GENERIC_WRITE);
static_assert(win32::openExisting == OPEN_EXISTING);
static_assert(win32::fileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win32::noParity == NOPARITY && win32::oddParity == ODDPARITY &&
              win32::evenParity == EVENPARITY);
static_assert(win32::oneStopBit == ONESTOPBIT && win32::twoStopBits == TWOSTOPBITS);
static_assert(win32::dtrControlDisable == DTR_CONTROL_DISABLE &&
              win32::dtrControlEnable == DTR_CONTROL_ENABLE &&
              win32::dtrControlHandshake == DTR_CONTROL_HANDSHAKE);
static_assert(win32::rtsControlDisable == RTS_CONTROL_DISABLE &&
              win32::rtsControlEnable == RTS_CONTROL_ENABLE &&
              win32::rtsControlHandshake == RTS_CONTROL_HANDSHAKE);
static_assert(win32::purgeRxClear == PURGE_RXCLEAR);
static_assert(win32::errorFileNotFound == ERROR_FILE_NOT_FOUND &&
              win32::errorPathNotFound == ERROR_PATH_NOT_FOUND &&
              win32::errorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(win32::errorAccessDenied == ERROR_ACCESS_DENIED &&
              win32::errorBadCommand == ERROR_BAD_COMMAND &&
              win32::errorGenFailure == ERROR_GEN_FAILURE &&
              win32::errorOperationAborted == ERROR_OPERATION_ABORTED &&
              win32::errorDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED &&
              win32::errorDeviceRemoved == ERROR_DEVICE_REMOVED);

HANDLE native(Win32Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

Win32Dcb fromNative(const DCB& dcb) {
    Win32Dcb state;
    state.BaudRate = dcb.BaudRate;
    state.fBinary = dcb.fBinary != 0;
    state.fParity = dcb.fParity != 0;
    state.fOutxCtsFlow = dcb.fOutxCtsFlow != 0;
    state.fOutxDsrFlow = dcb.fOutxDsrFlow != 0;
    state.fDtrControl = static_cast<std::uint8_t>(dcb.fDtrControl);
    state.fDsrSensitivity = dcb.fDsrSensitivity != 0;
    state.fTXContinueOnXoff = dcb.fTXContinueOnXoff != 0;
    state.fOutX = dcb.fOutX != 0;
    state.fInX = dcb.fInX != 0;
    state.fErrorChar = dcb.fErrorChar != 0;
    state.fNull = dcb.fNull != 0;
    state.fRtsControl = static_cast<std::uint8_t>(dcb.fRtsControl);
    state.fAbortOnError = dcb.fAbortOnError != 0;
    state.XonLim = dcb.XonLim;
    state.XoffLim = dcb.XoffLim;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.XonChar = dcb.XonChar;
    state.XoffChar = dcb.XoffChar;
    state.ErrorChar = dcb.ErrorChar;
    state.EofChar = dcb.EofChar;
    state.EvtChar = dcb.EvtChar;
    return state;
}

DCB toNative(const Win32Dcb& state) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = state.BaudRate;
    dcb.fBinary = state.fBinary;
    dcb.fParity = state.fParity;
    dcb.fOutxCtsFlow = state.fOutxCtsFlow;
    dcb.fOutxDsrFlow = state.fOutxDsrFlow;
    dcb.fDtrControl = state.fDtrControl & 3u;
    dcb.fDsrSensitivity = state.fDsrSensitivity;
    dcb.fTXContinueOnXoff = state.fTXContinueOnXoff;
    dcb.fOutX = state.fOutX;
    dcb.fInX = state.fInX;
    dcb.fErrorChar = state.fErrorChar;
    dcb.fNull = state.fNull;
    dcb.fRtsControl = state.fRtsControl & 3u;
    dcb.fAbortOnError = state.fAbortOnError;
    dcb.XonLim = state.XonLim;
    dcb.XoffLim = state.XoffLim;
    dcb.ByteSize = state.ByteSize;
    dcb.Parity = state.Parity;
    dcb.StopBits = state.StopBits;
    dcb.XonChar = state.XonChar;
    dcb.XoffChar = state.XoffChar;
    dcb.ErrorChar = state.ErrorChar;
    dcb.EofChar = state.EofChar;
    dcb.EvtChar = state.EvtChar;
    return dcb;
}

}  // namespace

Win32Handle Win32SystemComm::createFile(const std::string& path, std::uint32_t access,
                                        std::uint32_t shareMode, std::uint32_t creation,
                                        std::uint32_t flagsAndAttributes) {
    const HANDLE opened = CreateFileA(path.c_str(), access, shareMode, nullptr, creation,
                                      flagsAndAttributes, nullptr);
    return reinterpret_cast<Win32Handle>(opened);
}

bool Win32SystemComm::getCommState(Win32Handle handle, Win32Dcb& dcb) {
    DCB state{};
    state.DCBlength = sizeof(DCB);
    if (GetCommState(native(handle), &state) == 0) {
        return false;
    }
    dcb = fromNative(state);
    return true;
}

bool Win32SystemComm::setCommState(Win32Handle handle, const Win32Dcb& dcb) {
    DCB state = toNative(dcb);
    return SetCommState(native(handle), &state) != 0;
}

bool Win32SystemComm::getCommTimeouts(Win32Handle handle, Win32Timeouts& timeouts) {
    COMMTIMEOUTS record{};
    if (GetCommTimeouts(native(handle), &record) == 0) {
        return false;
    }
    timeouts = {record.ReadIntervalTimeout, record.ReadTotalTimeoutMultiplier,
                record.ReadTotalTimeoutConstant, record.WriteTotalTimeoutMultiplier,
                record.WriteTotalTimeoutConstant};
    return true;
}

bool Win32SystemComm::setCommTimeouts(Win32Handle handle, const Win32Timeouts& timeouts) {
    COMMTIMEOUTS record{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                        timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                        timeouts.WriteTotalTimeoutConstant};
    return SetCommTimeouts(native(handle), &record) != 0;
}

bool Win32SystemComm::readFile(Win32Handle handle, std::uint8_t* buffer, std::uint32_t count,
                               std::uint32_t& got) {
    DWORD read = 0;
    const bool done = ReadFile(native(handle), buffer, count, &read, nullptr) != 0;
    got = read;
    return done;
}

bool Win32SystemComm::writeFile(Win32Handle handle, const std::uint8_t* data, std::uint32_t count,
                                std::uint32_t& written) {
    DWORD sent = 0;
    const bool done = WriteFile(native(handle), data, count, &sent, nullptr) != 0;
    written = sent;
    return done;
}

bool Win32SystemComm::purgeComm(Win32Handle handle, std::uint32_t flags) {
    return PurgeComm(native(handle), flags) != 0;
}

bool Win32SystemComm::closeHandle(Win32Handle handle) {
    return CloseHandle(native(handle)) != 0;
}

std::uint32_t Win32SystemComm::lastError() {
    return GetLastError();
}

bool Win32SystemComm::dosDeviceDefined(const std::string& name) {
    std::array<char, 1024> target{};
    return QueryDosDeviceA(name.c_str(), target.data(), static_cast<DWORD>(target.size())) != 0 ||
           GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

namespace {

std::optional<std::string> registryText(HKEY key, const char* name) {
    std::array<char, 64> text{};
    DWORD size = static_cast<DWORD>(text.size() - 1);
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::string(text.data());
}

std::optional<int> latencyOfPort(HKEY ftdiBus, const char* deviceId, const std::string& comName) {
    const std::string parameters = std::string(deviceId) + "\\0000\\Device Parameters";
    HKEY key = nullptr;
    if (RegOpenKeyExA(ftdiBus, parameters.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<int> latency;
    DWORD ms = 0;
    DWORD size = sizeof ms;
    DWORD type = 0;
    if (registryText(key, "PortName") == comName &&
        RegQueryValueExA(key, "LatencyTimer", nullptr, &type, reinterpret_cast<BYTE*>(&ms),
                         &size) == ERROR_SUCCESS &&
        type == REG_DWORD) {
        latency = static_cast<int>(ms);
    }
    RegCloseKey(key);
    return latency;
}

}  // namespace

std::optional<int> Win32SystemComm::ftdiLatencyTimer(const std::string& comName) {
    HKEY ftdiBus = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS", 0, KEY_READ,
                      &ftdiBus) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<int> latency;
    std::array<char, 256> deviceId{};
    for (DWORD index = 0; !latency; ++index) {
        DWORD size = static_cast<DWORD>(deviceId.size());
        if (RegEnumKeyExA(ftdiBus, index, deviceId.data(), &size, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        latency = latencyOfPort(ftdiBus, deviceId.data(), comName);
    }
    RegCloseKey(ftdiBus);
    return latency;
}

}  // namespace ecuprobe::platform
