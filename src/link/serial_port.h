#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/adapter_latency.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/serial_device.h"
#include "platform/wire_trace.h"

namespace ecuprobe::link {

// Reaches the port's held device and line settings, for white-box tests.
struct LinkProbe;

// How the echo of the last write came back. A missing echo means no echoing
// adapter on the line (unpowered, or not a K-line adapter), which a person must be
// told apart from a silent ECU.
enum class EchoCheck : std::uint8_t { none, matched, missing, incomplete, differs, failed };

// How SerialPort::open() ended, as its required result codes (4 is not used).
enum class OpenResult : std::uint8_t {
    opened = 0,  // also when the port already was
    badPortNumber = 1,
    deviceNotOpened = 2,
    lineSettingsUnread = 3,
    timeoutsUnread = 5,
    timeoutsNotSet = 6,
};

// The text reportError() counts for a failed open; empty for opened and a bad number.
std::string_view openResultText(OpenResult result);

// The port layer of the one link object: opens COM1..COM4 at 9600 8N1, reads
// single bytes with a short time-out, writes a block and swallows its echo.
// Failures are only counted through reportError(); nothing here throws or shows.
class SerialPort {
public:
    // Port numbers 2..5 stand for COM1..COM4.
    static constexpr int firstPortNumber = 2;
    static constexpr int lastPortNumber = 5;

    SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    virtual ~SerialPort() = default;

    // The device behind the port, the clock for its pauses, and where COMn lies.
    // Must be done while the port is closed.
    void attach(platform::SerialDevice& newDevice, platform::Clock& newClock,
                const platform::PortMap& newPorts);
    // Back to no device and the real clock; closes the port first.
    void detach();
    // Where COMn lies from now on, the device and clock kept: after a person mapped
    // a slot to another device. While the port is closed; the map must outlive its
    // use, and null leaves no slot with a path.
    void usePortMap(const platform::PortMap* newPorts) { ports = newPorts; }
    const platform::PortMap* portMap() const { return ports; }
    void setTrace(platform::WireTrace* newTrace) {
        trace = newTrace;
        modemLinesNoted = false;
    }
    // Sees every text passed to reportError(); for diagnostics and tests.
    void setErrorObserver(std::function<void(std::string_view)> observer) {
        errorObserver = std::move(observer);
    }

    OpenResult open(int portNumber);
    // Why the last open() failed, as the device named it; cause none after one that opened.
    const platform::OpenFailure& openFailure() const { return failedOpen; }
    void close();
    // One byte; noByte() tells when none came within the read time-out or the read failed.
    std::uint8_t readByte();
    bool noByte() const { return missedByte; }
    // Writes count bytes (1..255), waits 3 ms and reads back and checks the echo;
    // without echo it only writes, and the next byte read is the answer's first.
    void writeBytes(const std::uint8_t* bytes, std::uint8_t count);
    // An adapter that cancels its own echo: nothing is read back after a write
    // (lastEcho() stays none). Kept until changed or detach().
    void setNoEcho(bool on) {
        withoutEcho = on;
        seenWithoutEcho = false;
    }
    bool noEcho() const { return withoutEcho; }
    void reportError(std::string_view text);
    // Every failure reported so far, modulo 256.
    std::uint8_t errorCount() const { return errors; }

    bool isOpen() const { return opened; }
    // "COM1".."COM4" while the port is open, else null.
    const char* portName() const { return openName; }
    // The silence between two bytes that ends a read; taken at the next open.
    int byteTimeoutMs() const { return byteGapMs; }
    void setByteTimeout(int ms) { byteGapMs = ms; }

    platform::Clock& clock() const { return *clockSource; }
    // The device reported that it has gone (adapter unplugged), not merely silent.
    bool deviceGone() const { return gone; }
    EchoCheck lastEcho() const { return echo; }
    // The bytes that came back as the echo of the last write.
    std::span<const std::uint8_t> lastEchoBytes() const { return {echoBytes.data(), echoCount}; }

    // What the last open found of the adapter's receive latency.
    const AdapterLatency& adapterLatency() const { return latency; }
    // That finding while the port is open, when the adapter is too slow and
    // nobody was told of its device yet; once per device path.
    std::optional<AdapterLatency> takeLatencyNotice();

    // The device path behind a port number (2..5); empty without a port map.
    std::string devicePath(int portNumber) const;
    // Whether the device of a port number is there, looked up without opening it.
    bool deviceExists(int portNumber) const;

protected:
    // Run without echo: the adapter has been seen since the port opened to let
    // an answer through with no copy of the request ahead of it.
    bool adapterSeenWithoutEcho() const { return seenWithoutEcho; }
    void noteAdapterWithoutEcho() { seenWithoutEcho = true; }

private:
    friend struct LinkProbe;

    // Keeps why (the device's cause, kept through its release) and counts the result's text.
    OpenResult failOpen(OpenResult result, platform::OpenFailure failure);
    void configureLine();
    void countError(std::string_view text);
    void noteMissingModemLines(std::string_view text);
    void release();
    void readEcho(const std::uint8_t* sent, std::uint8_t count);
    void noteStatus(platform::IoStatus status);

    static constexpr std::array<const char*, 4> portNames{"COM1", "COM2", "COM3", "COM4"};

    bool opened = false;
    const char* openName = nullptr;
    // The device while it is held open; kept when releasing it failed.
    platform::SerialDevice* handle = nullptr;
    platform::LineSettings lineSettings{};
    platform::ReadTimeouts timeouts{};
    std::uint8_t errors = 0;
    int byteGapMs = 20;
    bool missedByte = false;
    platform::SerialDevice* device = nullptr;
    platform::Clock* clockSource;
    const platform::PortMap* ports = nullptr;
    platform::WireTrace* trace = nullptr;
    std::function<void(std::string_view)> errorObserver;
    bool modemLinesNoted = false;
    platform::OpenFailure failedOpen;
    AdapterLatency latency;
    LatencyNotices latencyNotices;
    std::string openPath;
    bool gone = false;
    EchoCheck echo = EchoCheck::none;
    bool withoutEcho = false;
    bool seenWithoutEcho = false;
    std::array<std::uint8_t, 256> echoBytes{};
    std::size_t echoCount = 0;
};

}  // namespace ecuprobe::link
