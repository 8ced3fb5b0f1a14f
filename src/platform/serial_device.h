#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/open_failure.h"

namespace ecuprobe::platform {

// How a read or write ended. A device that has gone (USB adapter pulled, pty
// master closed) is told apart from a plain time-out and from a failed call.
enum class IoStatus { ok, timedOut, failed, gone };

struct ReadOutcome {
    std::size_t count = 0;
    IoStatus status = IoStatus::ok;
};

struct WriteOutcome {
    std::size_t count = 0;
    IoStatus status = IoStatus::ok;
};

// Read deadlines in the shape of the Win32 COMMTIMEOUTS record: a read of n bytes
// returns when n bytes are there, when intervalMs pass between two bytes, or after
// n * totalPerByteMs + totalConstantMs in all, whichever comes first. A limit of 0
// is not used; with all three 0 a read waits until n bytes are there.
struct ReadTimeouts {
    std::uint32_t intervalMs = 0;
    std::uint32_t totalPerByteMs = 0;
    std::uint32_t totalConstantMs = 0;

    bool operator==(const ReadTimeouts&) const = default;
};

enum class Parity : std::uint8_t { none, odd, even };

// The line settings that the tester reads from the driver and writes back changed,
// in the shape of the Win32 DCB fields it cares about. Whatever a driver keeps
// beyond these (flow-control characters, limits) stays as the driver had it.
struct LineSettings {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 0;
    Parity parity = Parity::none;
    std::uint8_t stopBits = 1;
    // Binary: no byte is translated or dropped (CR/LF, NUL), and none is checked for parity.
    bool raw = false;
    bool hardwareFlowControl = false;  // CTS/RTS or DSR/DTR handshake
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    bool dtr = false;
    bool rts = false;

    bool operator==(const LineSettings&) const = default;
};

// The OS-neutral serial line. The open is split into the same steps as on
// Windows so that each step's failure keeps its own result code one layer up.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens an existing device for reading and writing, exclusively.
    virtual bool open(const std::string& path) = 0;
    // Why the last open, or the readLineSettings, readTimeouts or setTimeouts
    // that follow it, failed: kept at the failing call, and through close(), so
    // that nobody has to open the device again to find out. Cause none until one failed.
    const OpenFailure& openFailure() const { return failedOpen; }
    // Whether a device is at path just now, looked up without opening it: cheap
    // enough for every poll tick while an adapter is unplugged.
    virtual bool exists(const std::string& path) const { return !path.empty(); }
    virtual bool readLineSettings(LineSettings& settings) = 0;
    // Returns false when any of the settings could not be applied (a pty cannot
    // raise DTR/RTS); the device stays open and usable.
    virtual bool applyLineSettings(const LineSettings& settings) = 0;
    // The last applyLineSettings() failed only because the device has no modem
    // lines to raise at all (a pseudo-terminal), not because the line refused.
    virtual bool lacksModemLines() const { return false; }
    virtual bool readTimeouts(ReadTimeouts& timeouts) = 0;
    // Asks the driver to pass received bytes on at once instead of holding them
    // back (a USB adapter's latency timer); false when it refused or has no such request.
    virtual bool requestLowLatency() { return false; }
    // The receive latency timer of the adapter behind the open device, in ms;
    // nullopt where it has none that the tester can see.
    virtual std::optional<int> latencyTimerMs() { return std::nullopt; }
    // False when the timer cannot be set (no write access, no such timer).
    virtual bool setLatencyTimerMs(int /*ms*/) { return false; }
    virtual bool setTimeouts(const ReadTimeouts& timeouts) = 0;

    // ReadOutcome::status is ok only when all count bytes came.
    virtual ReadOutcome read(std::uint8_t* buffer, std::size_t count) = 0;
    virtual WriteOutcome write(const std::uint8_t* data, std::size_t count) = 0;
    // Drops bytes that arrived but were not read yet.
    virtual void flushInput() = 0;
    // Restores the line settings found at open and releases the device.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;

protected:
    // Returns false, for the failing call to return.
    bool failOpen(OpenFailure failure) {
        failedOpen = std::move(failure);
        return false;
    }
    void clearOpenFailure() { failedOpen = {}; }

private:
    OpenFailure failedOpen;
};

}  // namespace ecuprobe::platform
