#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/serial_device.h"
#include "platform/serial_device_list.h"

namespace ecuprobe::platform {

// The cause an errno of open(), flock() or ioctl() names; the system's text for
// one without a cause of its own.
OpenFailure openFailureOfErrno(int error);
// The same for the open() of path, whose owner and mode tell whether the dialout
// group is what access was refused for.
OpenFailure openFailureOfErrno(int error, const std::string& path);

// A serial line on a POSIX terminal device (/dev/ttyS*, /dev/ttyUSB*, a pty).
// Reads wait with poll() on the monotonic clock, so no signal and no VTIME is
// involved and a deadline holds to the millisecond.
class PosixSerialDevice final : public SerialDevice {
public:
    // roots: where the adapter's sysfs entry (its latency timer) is looked up.
    explicit PosixSerialDevice(DeviceTreeRoots roots = DeviceTreeRoots::fromEnvironment())
        : tree(std::move(roots)) {}
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;
    ~PosixSerialDevice() override;

    // O_NOCTTY|O_NONBLOCK|O_CLOEXEC, then an exclusive flock and TIOCEXCL: the
    // flock also keeps out a second opener running as root, whom TIOCEXCL lets in.
    // A lock that another program holds is the cause busy.
    bool open(const std::string& path) override;
    // A stat of the node (through links): no open, so no DTR pulse and no flock.
    bool exists(const std::string& path) const override;
    bool readLineSettings(LineSettings& settings) override;
    bool applyLineSettings(const LineSettings& settings) override;
    bool lacksModemLines() const override { return noModemLines; }
    bool readTimeouts(ReadTimeouts& current) override;
    bool setTimeouts(const ReadTimeouts& timeouts) override;
    // TIOCSSERIAL with ASYNC_LOW_LATENCY; a pty or a driver without it refuses.
    bool requestLowLatency() override;
    // The latency_timer of the device's sysfs entry (FTDI adapters only).
    std::optional<int> latencyTimerMs() override;
    bool setLatencyTimerMs(int ms) override;
    ReadOutcome read(std::uint8_t* buffer, std::size_t count) override;
    WriteOutcome write(const std::uint8_t* data, std::size_t count) override;
    void flushInput() override;
    bool close() override;
    bool isOpen() const override { return fd >= 0; }

    // A write that makes no progress for this long gives up (a stalled USB adapter).
    static constexpr int writeStallMs = 2000;

private:
    bool setModemLines(bool dtr, bool rts);
    IoStatus waitWritable() const;
    int waitMs(std::size_t got, std::int64_t startMs, std::int64_t lastByteMs,
               std::size_t count) const;

    DeviceTreeRoots tree;
    int fd = -1;
    std::string openedPath;
    // Found at the first look after an open; empty where the device has no timer.
    std::optional<std::string> latencyTimerPath;
    ReadTimeouts deadlines;
    termios original{};
    bool originalSaved = false;
    bool noModemLines = false;
};

}  // namespace ecuprobe::platform
