#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_device.h"

namespace ecuprobe::platform {

// Whatever sits at the far end of the line: the echoing K-line adapter and the ECU.
class WirePeer {
public:
    virtual ~WirePeer() = default;
    // Bytes the tester has written.
    virtual void fromTester(std::span<const std::uint8_t> bytes) = 0;
    // Moves up to max bytes that have reached the tester by now into buffer;
    // returns how many (0: the line is silent at this moment).
    virtual std::size_t toTester(std::uint8_t* buffer, std::size_t max) = 0;
    // False while the device has vanished (unplugged adapter).
    virtual bool present() const { return true; }
};

// An adapter that echoes every byte and has nothing else to say; tests queue
// the answers they want with answer().
class EchoPeer : public WirePeer {
public:
    void fromTester(std::span<const std::uint8_t> bytes) override;
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;
    void answer(std::span<const std::uint8_t> bytes);

    std::vector<std::uint8_t> written;
    bool echo = true;

private:
    std::deque<std::uint8_t> pending;
};

// The serial line in memory, on a Clock: a read that finds too few bytes waits
// its whole deadline on that clock (virtual time under FakeClock) and looks once more.
class InMemorySerialDevice final : public SerialDevice {
public:
    // The step of the open sequence, or the call, that a test makes fail.
    enum class Failure {
        none,
        // As though another program held the port.
        open,
        readLineSettings,
        applyLineSettings,
        readTimeouts,
        setTimeouts,
        close,
        readCall,
        writeCall,
        // The bytes go out, yet the call reports failure.
        writeCallAfterSending,
    };

    InMemorySerialDevice(Clock& lineClock, WirePeer& farEnd) : clock(lineClock), peer(farEnd) {}

    bool open(const std::string& path) override;
    // A path that is not missing, while the far end is present.
    bool exists(const std::string& path) const override;
    bool readLineSettings(LineSettings& settings) override;
    bool applyLineSettings(const LineSettings& settings) override;
    bool readTimeouts(ReadTimeouts& current) override;
    bool setTimeouts(const ReadTimeouts& timeouts) override;
    bool requestLowLatency() override;
    std::optional<int> latencyTimerMs() override { return latencyTimer; }
    bool setLatencyTimerMs(int ms) override;
    ReadOutcome read(std::uint8_t* buffer, std::size_t count) override;
    WriteOutcome write(const std::uint8_t* data, std::size_t count) override;
    void flushInput() override;
    bool close() override;
    bool isOpen() const override { return opened; }

    void setPeer(WirePeer& newPeer) { peer = newPeer; }
    void failAt(Failure step) { failure = step; }

    std::string openedPath;
    int openCount = 0;
    // What the driver reports before the tester changes anything: a line left
    // in another program's state, so that every field has to be set.
    LineSettings lineSettings{115200, 7, Parity::even, 2, false, true, true, true, false, false};
    ReadTimeouts timeouts;
    // An FTDI-like driver: the timer it shows (nullopt: none), whether it takes the
    // low-latency request (then the timer drops to 1 ms, as ftdi_sio does) and
    // whether the timer may be written.
    std::optional<int> latencyTimer;
    bool grantsLowLatency = false;
    bool latencyTimerWritable = false;
    // Paths that do not exist; open() fails on them as not found.
    std::vector<std::string> missingPaths;

private:
    std::size_t take(std::uint8_t* buffer, std::size_t count);

    Clock& clock;
    std::reference_wrapper<WirePeer> peer;
    Failure failure = Failure::none;
    bool opened = false;
};

}  // namespace ecuprobe::platform
