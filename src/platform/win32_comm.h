#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ecuprobe::platform {

// The Win32 serial records and numbers in portable types, under the names the
// Win32 headers give them, so that the device's mapping onto them builds and is
// tested on any system. The Windows-only seam checks each number against
// <windows.h> at compile time.
namespace win32 {

constexpr std::uint32_t genericRead = 0x80000000;
constexpr std::uint32_t genericWrite = 0x40000000;
constexpr std::uint32_t openExisting = 3;
constexpr std::uint32_t fileAttributeNormal = 0x80;

constexpr std::uint8_t noParity = 0;
constexpr std::uint8_t oddParity = 1;
constexpr std::uint8_t evenParity = 2;
constexpr std::uint8_t oneStopBit = 0;
constexpr std::uint8_t twoStopBits = 2;

constexpr std::uint8_t dtrControlDisable = 0;
constexpr std::uint8_t dtrControlEnable = 1;
constexpr std::uint8_t dtrControlHandshake = 2;
constexpr std::uint8_t rtsControlDisable = 0;
constexpr std::uint8_t rtsControlEnable = 1;
constexpr std::uint8_t rtsControlHandshake = 2;

constexpr std::uint32_t purgeRxClear = 0x0008;

// GetLastError() values that the device and the tester's messages tell apart.
constexpr std::uint32_t errorFileNotFound = 2;
constexpr std::uint32_t errorPathNotFound = 3;
constexpr std::uint32_t errorAccessDenied = 5;
constexpr std::uint32_t errorBadCommand = 22;
constexpr std::uint32_t errorGenFailure = 31;
constexpr std::uint32_t errorSharingViolation = 32;
constexpr std::uint32_t errorOperationAborted = 995;
constexpr std::uint32_t errorDeviceNotConnected = 1167;
constexpr std::uint32_t errorDeviceRemoved = 1617;

}  // namespace win32

// A HANDLE as an integer; INVALID_HANDLE_VALUE is all ones.
using Win32Handle = std::uintptr_t;
constexpr Win32Handle invalidWin32Handle = ~Win32Handle{0};

// Every field of the DCB but its length and the reserved ones.
struct Win32Dcb {
    std::uint32_t BaudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    std::uint8_t fDtrControl = 0;
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    std::uint8_t fRtsControl = 0;
    bool fAbortOnError = false;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;

    bool operator==(const Win32Dcb&) const = default;
};

// COMMTIMEOUTS, all in milliseconds.
struct Win32Timeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const Win32Timeouts&) const = default;
};

// The few Win32 calls a serial line needs. Each returns what its Win32
// namesake returns; after a failure lastError() gives GetLastError().
// Reads and writes are never overlapped.
class Win32Comm {
public:
    virtual ~Win32Comm() = default;

    virtual Win32Handle createFile(const std::string& path, std::uint32_t access,
                                   std::uint32_t shareMode, std::uint32_t creation,
                                   std::uint32_t flagsAndAttributes) = 0;
    virtual bool getCommState(Win32Handle handle, Win32Dcb& dcb) = 0;
    virtual bool setCommState(Win32Handle handle, const Win32Dcb& dcb) = 0;
    virtual bool getCommTimeouts(Win32Handle handle, Win32Timeouts& timeouts) = 0;
    virtual bool setCommTimeouts(Win32Handle handle, const Win32Timeouts& timeouts) = 0;
    virtual bool readFile(Win32Handle handle, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& got) = 0;
    virtual bool writeFile(Win32Handle handle, const std::uint8_t* data, std::uint32_t count,
                           std::uint32_t& written) = 0;
    virtual bool purgeComm(Win32Handle handle, std::uint32_t flags) = 0;
    virtual bool closeHandle(Win32Handle handle) = 0;
    virtual std::uint32_t lastError() = 0;
    // QueryDosDeviceA: whether a device name such as "COM5" is defined just now.
    virtual bool dosDeviceDefined(const std::string& name) = 0;
    // The FTDI driver's LatencyTimer (ms) for the port named comName ("COM3"), from
    // the registry; nullopt where no FTDI device has that port.
    virtual std::optional<int> ftdiLatencyTimer(const std::string& /*comName*/) {
        return std::nullopt;
    }
};

}  // namespace ecuprobe::platform
