#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_comm.h"

namespace ecuprobe::platform::testing_support {

// GetLastError() values of plain failures, which the device does not tell apart.
constexpr std::uint32_t errorFileNotFound = 2;
constexpr std::uint32_t errorInvalidHandle = 6;
constexpr std::uint32_t errorInvalidParameter = 87;

// A COM port driver in memory: its own DCB and COMMTIMEOUTS, bytes waiting to be
// read, an adapter that echoes what is written, and any call made to fail with
// the error that GetLastError() then gives. Every call is logged by its Win32 name.
class FakeWin32Comm final : public Win32Comm {
public:
    struct CreateArguments {
        std::string path;
        std::uint32_t access = 0;
        std::uint32_t shareMode = 0;
        std::uint32_t creation = 0;
        std::uint32_t flagsAndAttributes = 0;
    };

    Win32Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t flagsAndAttributes) override {
        created = {path, access, shareMode, creation, flagsAndAttributes};
        if (failed("CreateFileA")) {
            return invalidWin32Handle;
        }
        ++openHandles;
        return portHandle;
    }
    bool getCommState(Win32Handle handle, Win32Dcb& state) override {
        return transfer("GetCommState", handle, dcb, state);
    }
    bool setCommState(Win32Handle handle, const Win32Dcb& state) override {
        return transfer("SetCommState", handle, state, dcb);
    }
    bool getCommTimeouts(Win32Handle handle, Win32Timeouts& record) override {
        return transfer("GetCommTimeouts", handle, timeouts, record);
    }
    bool setCommTimeouts(Win32Handle handle, const Win32Timeouts& record) override {
        return transfer("SetCommTimeouts", handle, record, timeouts);
    }
    bool readFile(Win32Handle handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& got) override {
        got = 0;
        if (!succeeds("ReadFile", handle)) {
            return false;
        }
        for (; got < count && !input.empty(); ++got) {
            buffer[got] = input.front();
            input.pop_front();
        }
        return true;
    }
    bool writeFile(Win32Handle handle, const std::uint8_t* data, std::uint32_t count,
                   std::uint32_t& written) override {
        written = 0;
        if (!succeeds("WriteFile", handle)) {
            return false;
        }
        for (; written < count && written < writeLimit; ++written) {
            output.push_back(data[written]);
            if (echo) {
                input.push_back(data[written]);
            }
        }
        return true;
    }
    bool purgeComm(Win32Handle handle, std::uint32_t flags) override {
        if (!succeeds("PurgeComm " + std::to_string(flags), handle)) {
            return false;
        }
        input.clear();
        return true;
    }
    bool closeHandle(Win32Handle handle) override {
        if (!succeeds("CloseHandle", handle)) {
            return false;
        }
        --openHandles;
        return true;
    }
    std::uint32_t lastError() override { return error; }
    bool dosDeviceDefined(const std::string& name) override {
        calls.push_back("QueryDosDeviceA " + name);
        return std::find(definedDevices.begin(), definedDevices.end(), name) !=
               definedDevices.end();
    }

    std::optional<int> ftdiLatencyTimer(const std::string& comName) override {
        const auto found = ftdiLatency.find(comName);
        return found == ftdiLatency.end() ? std::nullopt : std::optional<int>(found->second);
    }

    // The call, by its logged name, fails from now on with this error.
    void failAt(const std::string& call, std::uint32_t withError) { failures[call] = withError; }
    void clearFailures() { failures.clear(); }

    static constexpr Win32Handle portHandle = 0x30;

    Win32Dcb dcb;
    Win32Timeouts timeouts;
    std::deque<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    std::uint32_t writeLimit = 0xFFFFFFFF;
    bool echo = true;
    CreateArguments created;
    int openHandles = 0;
    std::vector<std::string> calls;
    std::vector<std::string> definedDevices{"COM1", "COM2", "COM3", "COM4"};
    // The FTDI driver's LatencyTimer in the registry, by the port's name.
    std::map<std::string, int> ftdiLatency;

private:
    bool failed(const std::string& call) {
        calls.push_back(call);
        const auto failure = failures.find(call);
        if (failure == failures.end()) {
            return false;
        }
        error = failure->second;
        return true;
    }
    bool succeeds(const std::string& call, Win32Handle handle) {
        if (handle != portHandle) {
            calls.push_back(call + " on a stale handle");
            error = errorInvalidHandle;
            return false;
        }
        return !failed(call);
    }

    template <typename Record>
    bool transfer(const std::string& call, Win32Handle handle, const Record& from, Record& to) {
        if (!succeeds(call, handle)) {
            return false;
        }
        to = from;
        return true;
    }

    std::map<std::string, std::uint32_t> failures;
    std::uint32_t error = 0;
};

}  // namespace ecuprobe::platform::testing_support
