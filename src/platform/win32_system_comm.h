#pragma once

#include "platform/win32_comm.h"

namespace ecuprobe::platform {

// The real Win32 calls behind the serial device's seam.
class Win32SystemComm final : public Win32Comm {
public:
    Win32Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t flagsAndAttributes) override;
    bool getCommState(Win32Handle handle, Win32Dcb& dcb) override;
    bool setCommState(Win32Handle handle, const Win32Dcb& dcb) override;
    bool getCommTimeouts(Win32Handle handle, Win32Timeouts& timeouts) override;
    bool setCommTimeouts(Win32Handle handle, const Win32Timeouts& timeouts) override;
    bool readFile(Win32Handle handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& got) override;
    bool writeFile(Win32Handle handle, const std::uint8_t* data, std::uint32_t count,
                   std::uint32_t& written) override;
    bool purgeComm(Win32Handle handle, std::uint32_t flags) override;
    bool closeHandle(Win32Handle handle) override;
    std::uint32_t lastError() override;
    bool dosDeviceDefined(const std::string& name) override;
    // HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS\<id>\0000\Device Parameters,
    // the entry whose PortName is comName.
    std::optional<int> ftdiLatencyTimer(const std::string& comName) override;
};

}  // namespace ecuprobe::platform
