#include "link/serial_port.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ecuprobe::link {

namespace {

platform::RealClock& defaultClock() {
    static platform::RealClock clock;
    return clock;
}

constexpr std::uint32_t echoPauseMs = 3;

}  // namespace

SerialPort::SerialPort() : clockSource(&defaultClock()) {}

void SerialPort::attach(platform::SerialDevice& newDevice, platform::Clock& newClock,
                        const platform::PortMap& newPorts) {
    device = &newDevice;
    clockSource = &newClock;
    ports = &newPorts;
}

void SerialPort::reportError(std::string_view text) {
    if (trace != nullptr) {
        trace->note(text);
    }
    countError(text);
}

void SerialPort::countError(std::string_view text) {
    ++errors;
    if (errorObserver) {
        errorObserver(text);
    }
}

// Counted as the failure it is, but a pseudo-terminal is no line fault: the trace
// says once what it is, rather than an error on every connect.
void SerialPort::noteMissingModemLines(std::string_view text) {
    if (trace != nullptr && !modemLinesNoted) {
        trace->note("a pseudo-terminal: it has no modem lines, DTR and RTS are not raised");
        modemLinesNoted = true;
    }
    countError(text);
}

void SerialPort::detach() {
    close();
    handle = nullptr;
    device = nullptr;
    clockSource = &defaultClock();
    ports = nullptr;
    withoutEcho = false;
}

std::string_view openResultText(OpenResult result) {
    switch (result) {
        case OpenResult::opened:
        case OpenResult::badPortNumber:
            break;
        case OpenResult::deviceNotOpened:
            return "Ошибка открытия СОМ.";
        case OpenResult::lineSettingsUnread:
            return "Ошибка получения DCB.";
        case OpenResult::timeoutsUnread:
            return "Ошибка Получения таймаутов СОМ.";
        case OpenResult::timeoutsNotSet:
            return "Ошибка установки таймаутов СОМ.";
    }
    return {};
}

OpenResult SerialPort::open(int portNumber) {
    if (opened) {
        return OpenResult::opened;
    }
    failedOpen = {};
    latency = {};
    seenWithoutEcho = false;
    if (portNumber < firstPortNumber || portNumber > lastPortNumber) {
        failedOpen = {platform::OpenFailureCause::notFound, {}};
        return OpenResult::badPortNumber;
    }
    const int comIndex = portNumber - firstPortNumber;
    if (device == nullptr || ports == nullptr) {
        return failOpen(OpenResult::deviceNotOpened, {platform::OpenFailureCause::notFound, {}});
    }
    if (!device->open(ports->path(comIndex))) {
        return failOpen(OpenResult::deviceNotOpened, device->openFailure());
    }
    handle = device;
    openName = portNames[static_cast<std::size_t>(comIndex)];
    openPath = ports->path(comIndex);
    if (!handle->readLineSettings(lineSettings)) {
        release();
        return failOpen(OpenResult::lineSettingsUnread, device->openFailure());
    }
    configureLine();
    if (!handle->readTimeouts(timeouts)) {
        const OpenResult result = failOpen(OpenResult::timeoutsUnread, device->openFailure());
        release();
        return result;
    }
    // A read of n bytes ends after 20 ms between two bytes or n + 20 ms in all.
    const auto interval = static_cast<std::uint32_t>(byteGapMs);
    timeouts = {interval, 1, interval};
    if (!handle->setTimeouts(timeouts)) {
        release();
        return failOpen(OpenResult::timeoutsNotSet, device->openFailure());
    }
    opened = true;
    gone = false;
    return OpenResult::opened;
}

OpenResult SerialPort::failOpen(OpenResult result, platform::OpenFailure failure) {
    failedOpen = failure.failed() ? std::move(failure)
                                  : platform::OpenFailure{platform::OpenFailureCause::other, {}};
    reportError(openResultText(result));
    return result;
}

std::string SerialPort::devicePath(int portNumber) const {
    if (ports == nullptr || portNumber < firstPortNumber || portNumber > lastPortNumber) {
        return {};
    }
    return ports->path(portNumber - firstPortNumber);
}

bool SerialPort::deviceExists(int portNumber) const {
    const std::string path = devicePath(portNumber);
    return device != nullptr && !path.empty() && device->exists(path);
}

// 9600 8N1, binary, no flow control of any kind, DTR and RTS held up (the
// adapter draws its power from them). Failing here is counted, not fatal.
void SerialPort::configureLine() {
    lineSettings.baudRate = 9600;
    lineSettings.byteSize = 8;
    lineSettings.parity = platform::Parity::none;
    lineSettings.stopBits = 1;
    lineSettings.raw = true;
    lineSettings.hardwareFlowControl = false;
    lineSettings.xonXoffOutput = false;
    lineSettings.xonXoffInput = false;
    lineSettings.dtr = true;
    lineSettings.rts = true;
    if (!handle->applyLineSettings(lineSettings)) {
        constexpr std::string_view failed = "Ошибка установки параметров СОМ (9600bps).";
        if (handle->lacksModemLines()) {
            noteMissingModemLines(failed);
        } else {
            reportError(failed);
        }
    }
    latency = checkAdapterLatency(*handle);
}

std::optional<AdapterLatency> SerialPort::takeLatencyNotice() {
    return opened ? latencyNotices.take(openPath, latency) : std::nullopt;
}

void SerialPort::release() {
    handle->close();
    handle = nullptr;
    openName = nullptr;
}

void SerialPort::close() {
    if (!opened) {
        return;
    }
    opened = false;
    openName = nullptr;
    if (handle->close()) {
        handle = nullptr;
    } else {
        reportError("Ошибка закрытья COM порта.");
    }
}

void SerialPort::noteStatus(platform::IoStatus status) {
    if (status == platform::IoStatus::gone) {
        gone = true;
    } else if (status == platform::IoStatus::ok) {
        gone = false;
    }
}

std::uint8_t SerialPort::readByte() {
    missedByte = false;
    std::uint8_t byte = 0;
    if (!opened) {
        reportError("Ошибка Read from COM in ReadByte().");
        missedByte = true;
        return 0xFF;
    }
    const platform::ReadOutcome got = handle->read(&byte, 1);
    noteStatus(got.status);
    if (got.status == platform::IoStatus::failed || got.status == platform::IoStatus::gone) {
        reportError("Ошибка Read from COM in ReadByte().");
        missedByte = true;
        return 0xFF;
    }
    if (got.count == 0) {
        missedByte = true;
        return byte;
    }
    if (trace != nullptr) {
        trace->bytes(platform::WireTrace::Direction::received, {&byte, 1});
    }
    return byte;
}

void SerialPort::writeBytes(const std::uint8_t* bytes, std::uint8_t count) {
    platform::WriteOutcome written{0, platform::IoStatus::failed};
    echo = EchoCheck::none;
    echoCount = 0;
    if (opened) {
        // A late answer to the previous request must not be taken for this echo.
        handle->flushInput();
        written = handle->write(bytes, count);
        noteStatus(written.status);
    }
    if (written.status != platform::IoStatus::ok || written.count != count) {
        reportError(written.count == count ? "Ошибка Write in COM in WriteBytes()."
                                           : "Ошибка Cant Write all bytes to COM in WriteBytes().");
        return;
    }
    if (trace != nullptr) {
        trace->bytes(platform::WireTrace::Direction::written, {bytes, count});
    }
    if (withoutEcho) {
        return;
    }
    clockSource->sleepMs(echoPauseMs);
    readEcho(bytes, count);
}

void SerialPort::readEcho(const std::uint8_t* sent, std::uint8_t count) {
    std::array<std::uint8_t, 256>& back = echoBytes;
    const platform::ReadOutcome got = handle->read(back.data(), count);
    echoCount = std::min<std::size_t>(got.count, count);
    noteStatus(got.status);
    if (trace != nullptr) {
        trace->bytes(platform::WireTrace::Direction::echo, {back.data(), echoCount});
    }
    if (got.status == platform::IoStatus::failed || got.status == platform::IoStatus::gone) {
        echo = EchoCheck::failed;
        reportError("Ошибка Read echo from COM in WriteBytes().");
    } else if (got.count < count) {
        echo = got.count == 0 ? EchoCheck::missing : EchoCheck::incomplete;
        reportError("Ошибка Cant read all bytes from COM in WriteBytes().");
    } else if (!std::equal(sent, sent + count, back.begin())) {
        echo = EchoCheck::differs;
        reportError("Ошибка считали не то что писали COM in WriteBytes().");
    } else {
        echo = EchoCheck::matched;
    }
}

}  // namespace ecuprobe::link
