#include "timed_device.h"

namespace ecuprobe::bench {

bool TimedDevice::step(bool done) {
    return done || failOpen(inner.openFailure());
}

bool TimedDevice::open(const std::string& path) {
    clearOpenFailure();
    return step(inner.open(path));
}

bool TimedDevice::readLineSettings(platform::LineSettings& settings) {
    return step(inner.readLineSettings(settings));
}

bool TimedDevice::readTimeouts(platform::ReadTimeouts& timeouts) {
    return step(inner.readTimeouts(timeouts));
}

bool TimedDevice::setTimeouts(const platform::ReadTimeouts& timeouts) {
    return step(inner.setTimeouts(timeouts));
}

platform::ReadOutcome TimedDevice::read(std::uint8_t* buffer, std::size_t count) {
    const platform::ReadOutcome got = inner.read(buffer, count);
    if (got.count != 0) {
        readAtMs = now();
    }
    return got;
}

platform::WriteOutcome TimedDevice::write(const std::uint8_t* data, std::size_t count) {
    wroteAtMs = now();
    return inner.write(data, count);
}

}  // namespace ecuprobe::bench
