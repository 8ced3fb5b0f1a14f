// PosixSerialDevice's receive latency: the driver's low-latency request and the
// FTDI latency timer in sysfs.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_serial_device.h"

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace ecuprobe::platform {

// USB serial adapters hold received bytes back for up to 16 ms (the FTDI latency
// timer) unless asked not to; that would eat most of the 20 ms byte time-out.
// Drivers without the request (ENOTTY, EINVAL) simply keep their latency.
bool PosixSerialDevice::requestLowLatency() {
#if defined(__linux__) && defined(TIOCGSERIAL)
    constexpr int lowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
    serial_struct serial{};
    if (fd < 0 || ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        return false;
    }
    if ((serial.flags & lowLatency) != 0) {
        return true;
    }
    serial.flags |= lowLatency;
    return ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    return false;
#endif
}

std::optional<int> PosixSerialDevice::latencyTimerMs() {
    if (fd < 0) {
        return std::nullopt;
    }
    if (!latencyTimerPath) {
        const std::optional<SerialDeviceInfo> found = findSerialDevice(openedPath, tree);
        latencyTimerPath = found ? found->latencyTimerPath : std::string();
    }
    return readLatencyTimerFile(*latencyTimerPath);
}

bool PosixSerialDevice::setLatencyTimerMs(int ms) {
    if (!latencyTimerMs()) {
        return false;
    }
    // sysfs refuses a write to an attribute without write bits even to root.
    struct stat node {};
    if (::stat(latencyTimerPath->c_str(), &node) != 0 ||
        (node.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    // Never waits on a FIFO in its place, and writes nothing but a regular file.
    const int file =
        ::open(latencyTimerPath->c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    if (::fstat(file, &node) != 0 || !S_ISREG(node.st_mode)) {
        ::close(file);
        return false;
    }
    const std::string text = std::to_string(ms) + "\n";
    const bool written =
        ::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(file) == 0 && written;
}

}  // namespace ecuprobe::platform
