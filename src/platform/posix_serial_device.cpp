#include "platform/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/device_access.h"

namespace ecuprobe::platform {

namespace {

std::int64_t monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// The errors a pulled USB adapter or a closed pty master leave behind.
bool isGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

struct Speed {
    std::uint32_t baud;
    speed_t code;
};

constexpr Speed speeds[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                            {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};

std::optional<speed_t> speedCode(std::uint32_t baud) {
    for (const Speed& speed : speeds) {
        if (speed.baud == baud) {
            return speed.code;
        }
    }
    return std::nullopt;
}

std::uint32_t baudOf(speed_t code) {
    for (const Speed& speed : speeds) {
        if (speed.code == code) {
            return speed.baud;
        }
    }
    return 0;
}

constexpr tcflag_t sizeFlags[] = {CS5, CS6, CS7, CS8};

// Translation that would turn the 0x0D terminator into 0x0A, drop bytes, or take
// 0x11/0x13 as flow control; all of it must be off on the K-line.
constexpr tcflag_t cookedInput =
    IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK | IXANY | IMAXBEL;
constexpr tcflag_t cookedLocal = ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN;

bool isRaw(const termios& t) {
    return (t.c_iflag & cookedInput) == 0 && (t.c_oflag & OPOST) == 0 &&
           (t.c_lflag & cookedLocal) == 0;
}

void makeRaw(termios& t) {
    t.c_iflag &= ~cookedInput;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~cookedLocal;
    t.c_cflag |= CLOCAL | CREAD;
}

bool setFraming(termios& t, const LineSettings& settings) {
    const std::optional<speed_t> speed = speedCode(settings.baudRate);
    if (!speed || settings.byteSize < 5 || settings.byteSize > 8 || cfsetispeed(&t, *speed) != 0 ||
        cfsetospeed(&t, *speed) != 0) {
        return false;
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= sizeFlags[settings.byteSize - 5];
    if (settings.parity != Parity::none) {
        t.c_cflag |= PARENB | (settings.parity == Parity::odd ? PARODD : 0);
    }
    t.c_cflag |=
        (settings.stopBits == 2 ? CSTOPB : 0) | (settings.hardwareFlowControl ? CRTSCTS : 0);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    t.c_iflag |= (settings.xonXoffOutput ? IXON : 0) | (settings.xonXoffInput ? IXOFF : 0);
    return true;
}

}  // namespace

OpenFailure openFailureOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return {OpenFailureCause::notFound, {}};
        case EACCES:
        case EPERM:
            return {OpenFailureCause::permission, {}};
        // A line in another program's exclusive mode, or under its lock.
        case EBUSY:
            return {OpenFailureCause::busy, {}};
        case ENOTTY:
            return {OpenFailureCause::notTty, {}};
        default:
            break;
    }
    if (isGoneError(error)) {
        return {OpenFailureCause::gone, {}};
    }
    return {OpenFailureCause::other, std::strerror(error)};
}

OpenFailure openFailureOfErrno(int error, const std::string& path) {
    const OpenFailure failure = openFailureOfErrno(error);
    if (failure.cause != OpenFailureCause::permission) {
        return failure;
    }
    const std::optional<DeviceAccess> access = readDeviceAccess(path);
    return access ? refusedAccess(*access) : failure;
}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

bool PosixSerialDevice::open(const std::string& path) {
    if (fd >= 0) {
        // Still held here: a close that failed.
        return failOpen({OpenFailureCause::busy, {}});
    }
    clearOpenFailure();
    const int opened = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) {
        return failOpen(openFailureOfErrno(errno, path));
    }
    // The lock comes first: the exclusive-mode flag belongs to the tty, not to this
    // descriptor, so setting it on a line that another program holds would lock
    // that program's own later opens out. Not a terminal at all: let the open go
    // on, so that reading its line settings is the step that fails.
    if (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(opened);
        return failOpen(openFailureOfErrno(error));
    }
    if (ioctl(opened, TIOCEXCL) != 0 && errno != ENOTTY) {
        const int error = errno;
        ::close(opened);
        return failOpen(openFailureOfErrno(error));
    }
    fd = opened;
    openedPath = path;
    latencyTimerPath.reset();
    originalSaved = false;
    deadlines = {};
    return true;
}

bool PosixSerialDevice::exists(const std::string& path) const {
    struct stat node {};
    return ::stat(path.c_str(), &node) == 0;
}

bool PosixSerialDevice::readLineSettings(LineSettings& settings) {
    termios t{};
    if (fd < 0) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    // A file or any other device that is no terminal: ENOTTY.
    if (tcgetattr(fd, &t) != 0) {
        return failOpen(openFailureOfErrno(errno));
    }
    if (!originalSaved) {
        original = t;
        originalSaved = true;
    }
    const tcflag_t size = t.c_cflag & CSIZE;
    settings.baudRate = baudOf(cfgetospeed(&t));
    settings.byteSize = static_cast<std::uint8_t>(
        5 + (std::find(std::begin(sizeFlags), std::end(sizeFlags), size) - std::begin(sizeFlags)));
    settings.parity = (t.c_cflag & PARENB) == 0   ? Parity::none
                      : (t.c_cflag & PARODD) != 0 ? Parity::odd
                                                  : Parity::even;
    settings.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
    settings.raw = isRaw(t);
    settings.hardwareFlowControl = (t.c_cflag & CRTSCTS) != 0;
    settings.xonXoffOutput = (t.c_iflag & IXON) != 0;
    settings.xonXoffInput = (t.c_iflag & IXOFF) != 0;
    int lines = 0;
    const bool haveLines = ioctl(fd, TIOCMGET, &lines) == 0;
    settings.dtr = haveLines && (lines & TIOCM_DTR) != 0;
    settings.rts = haveLines && (lines & TIOCM_RTS) != 0;
    return true;
}

bool PosixSerialDevice::applyLineSettings(const LineSettings& settings) {
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0) {
        return false;
    }
    bool applied = setFraming(t, settings);
    if (settings.raw) {
        makeRaw(t);
    }
    // Reads wait in poll(), never in the driver.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    applied = tcsetattr(fd, TCSANOW, &t) == 0 && applied;
    const bool linesSet = setModemLines(settings.dtr, settings.rts);
    noModemLines = applied && !linesSet && (errno == ENOTTY || errno == EINVAL);
    return linesSet && applied;
}

// A pty has no modem lines: the calls fail there with ENOTTY, which the caller counts.
bool PosixSerialDevice::setModemLines(bool dtr, bool rts) {
    int raise = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
    int lower = (TIOCM_DTR | TIOCM_RTS) & ~raise;
    if (raise != 0 && ioctl(fd, TIOCMBIS, &raise) != 0) {
        return false;
    }
    return lower == 0 || ioctl(fd, TIOCMBIC, &lower) == 0;
}

bool PosixSerialDevice::readTimeouts(ReadTimeouts& current) {
    if (fd < 0) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    current = deadlines;
    return true;
}

bool PosixSerialDevice::setTimeouts(const ReadTimeouts& timeouts) {
    if (fd < 0) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    deadlines = timeouts;
    return true;
}

// Milliseconds poll() may wait for the next bytes: 0 once a deadline has passed,
// -1 while no deadline applies.
int PosixSerialDevice::waitMs(std::size_t got, std::int64_t startMs, std::int64_t lastByteMs,
                              std::size_t count) const {
    const std::int64_t now = monotonicMs();
    std::int64_t wait = -1;
    const std::int64_t total =
        static_cast<std::int64_t>(count * deadlines.totalPerByteMs) + deadlines.totalConstantMs;
    if (total > 0) {
        wait = std::max<std::int64_t>(0, startMs + total - now);
    }
    if (deadlines.intervalMs > 0 && got > 0) {
        const std::int64_t gap = std::max<std::int64_t>(0, lastByteMs + deadlines.intervalMs - now);
        wait = wait < 0 ? gap : std::min(wait, gap);
    }
    return static_cast<int>(std::min<std::int64_t>(wait, 3'600'000));
}

ReadOutcome PosixSerialDevice::read(std::uint8_t* buffer, std::size_t count) {
    if (fd < 0) {
        return {0, IoStatus::failed};
    }
    const std::int64_t startMs = monotonicMs();
    std::int64_t lastByteMs = startMs;
    std::size_t got = 0;
    while (got < count) {
        const int wait = waitMs(got, startMs, lastByteMs, count);
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, wait);
        if (polled < 0 && errno != EINTR) {
            return {got, IoStatus::failed};
        }
        if (polled <= 0) {
            // Time-out, or a signal: the deadline is worked out afresh.
            if (polled == 0 && wait == 0) {
                return {got, IoStatus::timedOut};
            }
            continue;
        }
        if ((ready.revents & POLLIN) == 0) {
            const bool hangUp = (ready.revents & (POLLHUP | POLLERR)) != 0;
            return {got, hangUp ? IoStatus::gone : IoStatus::failed};
        }
        const ssize_t n = ::read(fd, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            lastByteMs = monotonicMs();
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // Readable but at its end: the line has hung up.
            return {got, n == 0 || isGoneError(errno) ? IoStatus::gone : IoStatus::failed};
        }
    }
    return {got, IoStatus::ok};
}

IoStatus PosixSerialDevice::waitWritable() const {
    pollfd ready{fd, POLLOUT, 0};
    int polled = 0;
    do {
        polled = ::poll(&ready, 1, writeStallMs);
    } while (polled < 0 && errno == EINTR);
    if (polled < 0) {
        return IoStatus::failed;
    }
    if (polled == 0) {
        return IoStatus::timedOut;
    }
    if ((ready.revents & POLLOUT) != 0) {
        return IoStatus::ok;
    }
    return (ready.revents & (POLLHUP | POLLERR)) != 0 ? IoStatus::gone : IoStatus::failed;
}

WriteOutcome PosixSerialDevice::write(const std::uint8_t* data, std::size_t count) {
    if (fd < 0) {
        return {0, IoStatus::failed};
    }
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return {done, isGoneError(errno) ? IoStatus::gone : IoStatus::failed};
        }
        if (const IoStatus waited = waitWritable(); waited != IoStatus::ok) {
            return {done, waited};
        }
    }
    return {done, IoStatus::ok};
}

void PosixSerialDevice::flushInput() {
    if (fd >= 0) {
        tcflush(fd, TCIFLUSH);
    }
}

bool PosixSerialDevice::close() {
    if (fd < 0) {
        return true;
    }
    // A device that has gone has no settings left to restore; that is no failure.
    if (originalSaved) {
        tcsetattr(fd, TCSANOW, &original);
    }
    ioctl(fd, TIOCNXCL);
    const int closed = ::close(fd);
    const bool released = closed == 0 || errno == EINTR;
    fd = -1;
    originalSaved = false;
    return released;
}

}  // namespace ecuprobe::platform
