#include "platform/win32_serial_device.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace ecuprobe::platform {

namespace {

// What a pulled USB adapter leaves behind: its driver refuses the stale handle
// (access denied, bad command) or the device stack reports the device removed.
bool isGoneError(std::uint32_t error) {
    switch (error) {
        case win32::errorAccessDenied:
        case win32::errorBadCommand:
        case win32::errorGenFailure:
        case win32::errorDeviceNotConnected:
        case win32::errorDeviceRemoved:
            return true;
        default:
            return false;
    }
}

bool hasHandshake(const Win32Dcb& dcb) {
    return dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fDsrSensitivity ||
           dcb.fDtrControl == win32::dtrControlHandshake ||
           dcb.fRtsControl == win32::rtsControlHandshake;
}

LineSettings settingsOf(const Win32Dcb& dcb) {
    LineSettings settings;
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    // Mark and space parity, which the tester never sets, read as odd: some parity all the same.
    settings.parity = dcb.Parity == win32::noParity     ? Parity::none
                      : dcb.Parity == win32::evenParity ? Parity::even
                                                        : Parity::odd;
    settings.stopBits = dcb.StopBits == win32::oneStopBit ? 1 : 2;
    settings.raw = dcb.fBinary && !dcb.fParity && !dcb.fNull;
    settings.hardwareFlowControl = hasHandshake(dcb);
    settings.xonXoffOutput = dcb.fOutX;
    settings.xonXoffInput = dcb.fInX;
    settings.dtr = dcb.fDtrControl == win32::dtrControlEnable;
    settings.rts = dcb.fRtsControl == win32::rtsControlEnable;
    return settings;
}

std::uint8_t parityOf(Parity parity) {
    switch (parity) {
        case Parity::odd:
            return win32::oddParity;
        case Parity::even:
            return win32::evenParity;
        case Parity::none:
            break;
    }
    return win32::noParity;
}

// Changes only what LineSettings speaks of; the XON/XOFF limits and characters,
// the error, end-of-file and event characters keep the driver's values.
void applyTo(Win32Dcb& dcb, const LineSettings& settings) {
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = parityOf(settings.parity);
    dcb.StopBits = settings.stopBits == 2 ? win32::twoStopBits : win32::oneStopBit;
    // Windows has no other than binary mode; NUL bytes are never dropped.
    dcb.fBinary = true;
    dcb.fNull = false;
    dcb.fParity = settings.parity != Parity::none && !settings.raw;
    dcb.fOutxCtsFlow = settings.hardwareFlowControl;
    dcb.fOutxDsrFlow = false;
    dcb.fDsrSensitivity = false;
    dcb.fDtrControl = settings.dtr ? win32::dtrControlEnable : win32::dtrControlDisable;
    dcb.fRtsControl = settings.hardwareFlowControl ? win32::rtsControlHandshake
                      : settings.rts               ? win32::rtsControlEnable
                                                   : win32::rtsControlDisable;
    dcb.fOutX = settings.xonXoffOutput;
    dcb.fInX = settings.xonXoffInput;
    // Otherwise one framing error would fail every later call until ClearCommError.
    dcb.fAbortOnError = false;
}

std::uint32_t callCount(std::size_t count) {
    return static_cast<std::uint32_t>(
        std::min<std::size_t>(count, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

OpenFailure openFailureOfWin32Error(std::uint32_t error) {
    switch (error) {
        case win32::errorFileNotFound:
        case win32::errorPathNotFound:
            return {OpenFailureCause::notFound, {}};
        // A COM port that another program has open is refused as access denied.
        case win32::errorAccessDenied:
        case win32::errorSharingViolation:
            return {OpenFailureCause::busy, {}};
        case win32::errorDeviceNotConnected:
        case win32::errorDeviceRemoved:
            return {OpenFailureCause::gone, {}};
        default:
            return {OpenFailureCause::other, "Windows error " + std::to_string(error)};
    }
}

Win32SerialDevice::~Win32SerialDevice() {
    close();
}

std::string Win32SerialDevice::devicePath(const std::string& name) {
    if (name.starts_with("\\\\")) {
        return name;
    }
    return "\\\\.\\" + name;
}

bool Win32SerialDevice::exists(const std::string& path) const {
    static constexpr std::string_view deviceNamespace = "\\\\.\\";
    const std::string name = devicePath(path);
    if (!name.starts_with(deviceNamespace)) {
        // Another namespace (\\?\ and the like): only an open can tell.
        return true;
    }
    return api.dosDeviceDefined(name.substr(deviceNamespace.size()));
}

bool Win32SerialDevice::open(const std::string& path) {
    if (isOpen()) {
        return failOpen({OpenFailureCause::busy, {}});
    }
    clearOpenFailure();
    const Win32Handle opened =
        api.createFile(devicePath(path), win32::genericRead | win32::genericWrite, 0,
                       win32::openExisting, win32::fileAttributeNormal);
    if (opened == invalidWin32Handle) {
        return failOpen(openFailureOfWin32Error(api.lastError()));
    }
    handle = opened;
    originalSaved = false;
    const std::string named = devicePath(path);
    comName = named.substr(named.find_last_of('\\') + 1);
    return true;
}

std::optional<int> Win32SerialDevice::latencyTimerMs() {
    return isOpen() ? api.ftdiLatencyTimer(comName) : std::nullopt;
}

// A handle without a line state is no serial port (NUL, a printer, a file).
bool Win32SerialDevice::readLineSettings(LineSettings& settings) {
    Win32Dcb dcb;
    if (!isOpen()) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    if (!api.getCommState(handle, dcb)) {
        const bool gone = openFailureOfWin32Error(api.lastError()).cause == OpenFailureCause::gone;
        return failOpen({gone ? OpenFailureCause::gone : OpenFailureCause::notTty, {}});
    }
    if (!originalSaved) {
        original = dcb;
        originalSaved = true;
    }
    settings = settingsOf(dcb);
    return true;
}

bool Win32SerialDevice::applyLineSettings(const LineSettings& settings) {
    Win32Dcb dcb;
    if (!isOpen() || !api.getCommState(handle, dcb)) {
        return false;
    }
    applyTo(dcb, settings);
    return api.setCommState(handle, dcb);
}

bool Win32SerialDevice::readTimeouts(ReadTimeouts& current) {
    Win32Timeouts timeouts;
    if (!isOpen() || !api.getCommTimeouts(handle, timeouts)) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    current = {timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
               timeouts.ReadTotalTimeoutConstant};
    return true;
}

bool Win32SerialDevice::setTimeouts(const ReadTimeouts& timeouts) {
    const Win32Timeouts record{timeouts.intervalMs, timeouts.totalPerByteMs,
                               timeouts.totalConstantMs, 0, writeStallMs};
    return (isOpen() && api.setCommTimeouts(handle, record)) ||
           failOpen({OpenFailureCause::lineSettings, {}});
}

// A non-overlapped call is aborted when its device goes away, but also by a
// purge or a line error; the port has gone only when it no longer answers.
IoStatus Win32SerialDevice::failureStatus() {
    const std::uint32_t error = api.lastError();
    if (isGoneError(error)) {
        return IoStatus::gone;
    }
    if (error == win32::errorOperationAborted) {
        Win32Dcb probe;
        return api.getCommState(handle, probe) ? IoStatus::failed : IoStatus::gone;
    }
    return IoStatus::failed;
}

// Under COMMTIMEOUTS a call that succeeds with fewer bytes has met its deadline.
ReadOutcome Win32SerialDevice::read(std::uint8_t* buffer, std::size_t count) {
    if (!isOpen()) {
        return {0, IoStatus::failed};
    }
    std::uint32_t got = 0;
    if (!api.readFile(handle, buffer, callCount(count), got)) {
        return {got, failureStatus()};
    }
    return {got, got == count ? IoStatus::ok : IoStatus::timedOut};
}

WriteOutcome Win32SerialDevice::write(const std::uint8_t* data, std::size_t count) {
    if (!isOpen()) {
        return {0, IoStatus::failed};
    }
    std::uint32_t written = 0;
    if (!api.writeFile(handle, data, callCount(count), written)) {
        return {written, failureStatus()};
    }
    return {written, written == count ? IoStatus::ok : IoStatus::timedOut};
}

void Win32SerialDevice::flushInput() {
    if (isOpen()) {
        api.purgeComm(handle, win32::purgeRxClear);
    }
}

bool Win32SerialDevice::close() {
    if (!isOpen()) {
        return true;
    }
    // A device that has gone has no settings left to restore; that is no failure.
    if (originalSaved) {
        api.setCommState(handle, original);
    }
    const bool released = api.closeHandle(handle);
    handle = invalidWin32Handle;
    originalSaved = false;
    return released;
}

}  // namespace ecuprobe::platform
