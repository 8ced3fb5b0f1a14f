#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/serial_device.h"
#include "platform/win32_comm.h"

namespace ecuprobe::platform {

// The cause a GetLastError() after CreateFileA names; "Windows error N" for one
// without a cause of its own.
OpenFailure openFailureOfWin32Error(std::uint32_t error);

// A serial line on a Windows COM port (a UART or a USB adapter's virtual port).
// Deadlines are the driver's: ReadTimeouts become the COMMTIMEOUTS record.
class Win32SerialDevice final : public SerialDevice {
public:
    explicit Win32SerialDevice(Win32Comm& system) : api(system) {}
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;
    ~Win32SerialDevice() override;

    // The name to hand to CreateFileA: a bare name such as "COM3" or "COM12"
    // goes into the device namespace as \\.\COM12 (the plain name reaches only
    // COM1..COM9); a name that already starts with \\ is taken as it is.
    static std::string devicePath(const std::string& name);

    // Share mode 0: no other program gets the port while it is open here.
    bool open(const std::string& path) override;
    // A COM name is looked up among the system's DOS device names, so that a
    // pulled adapter is not opened again and again until it is back.
    bool exists(const std::string& path) const override;
    bool readLineSettings(LineSettings& settings) override;
    bool applyLineSettings(const LineSettings& settings) override;
    bool readTimeouts(ReadTimeouts& current) override;
    bool setTimeouts(const ReadTimeouts& timeouts) override;
    // The FTDI driver keeps its latency timer in the registry, set in the Device
    // Manager; the tester only reads it.
    std::optional<int> latencyTimerMs() override;
    ReadOutcome read(std::uint8_t* buffer, std::size_t count) override;
    WriteOutcome write(const std::uint8_t* data, std::size_t count) override;
    void flushInput() override;
    bool close() override;
    bool isOpen() const override { return handle != invalidWin32Handle; }

    // A write that the driver has not taken in full after this long gives up
    // (a stalled USB adapter), as on POSIX.
    static constexpr std::uint32_t writeStallMs = 2000;

private:
    IoStatus failureStatus();

    Win32Comm& api;
    Win32Handle handle = invalidWin32Handle;
    // "COM3", as the registry names the port.
    std::string comName;
    Win32Dcb original{};
    bool originalSaved = false;
};

}  // namespace ecuprobe::platform
