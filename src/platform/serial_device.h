#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
// n * totalPerByteMs + totalConstantMs in all, whichever comes first.
struct ReadTimeouts {
    std::uint32_t intervalMs = 0;
    std::uint32_t totalPerByteMs = 0;
    std::uint32_t totalConstantMs = 0;
};

// The OS-neutral serial line. The open is split into the same steps as on
// Windows so that each step's failure keeps its own result code one layer up.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens an existing device for reading and writing, exclusively.
    virtual bool open(const std::string& path) = 0;
    virtual bool readLineSettings() = 0;
    // 9600 bit/s 8N1, fully raw, no flow control, DTR and RTS raised. Returns false
    // when any of it could not be applied; the device stays open and usable.
    virtual bool applyLineSettings() = 0;
    virtual bool readTimeouts() = 0;
    virtual bool setTimeouts(const ReadTimeouts& timeouts) = 0;

    virtual ReadOutcome read(std::uint8_t* buffer, std::size_t count) = 0;
    virtual WriteOutcome write(const std::uint8_t* data, std::size_t count) = 0;
    // Drops bytes that arrived but were not read yet.
    virtual void flushInput() = 0;
    // Restores the line settings found at open and releases the device.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace ecuprobe::platform
