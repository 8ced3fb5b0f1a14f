#include "platform/in_memory_serial_device.h"

#include <algorithm>

namespace ecuprobe::platform {

void EchoPeer::fromTester(std::span<const std::uint8_t> bytes) {
    written.insert(written.end(), bytes.begin(), bytes.end());
    if (echo) {
        pending.insert(pending.end(), bytes.begin(), bytes.end());
    }
}

std::size_t EchoPeer::toTester(std::uint8_t* buffer, std::size_t max) {
    const std::size_t n = std::min(max, pending.size());
    std::copy_n(pending.begin(), n, buffer);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void EchoPeer::answer(std::span<const std::uint8_t> bytes) {
    pending.insert(pending.end(), bytes.begin(), bytes.end());
}

bool InMemorySerialDevice::open(const std::string& path) {
    if (opened) {
        return failOpen({OpenFailureCause::busy, {}});
    }
    clearOpenFailure();
    if (!exists(path)) {
        return failOpen({OpenFailureCause::notFound, {}});
    }
    if (failure == Failure::open) {
        return failOpen({OpenFailureCause::busy, {}});
    }
    opened = true;
    openedPath = path;
    ++openCount;
    return true;
}

bool InMemorySerialDevice::exists(const std::string& path) const {
    return std::find(missingPaths.begin(), missingPaths.end(), path) == missingPaths.end() &&
           peer.get().present();
}

bool InMemorySerialDevice::readLineSettings(LineSettings& settings) {
    if (failure == Failure::readLineSettings) {
        return failOpen({OpenFailureCause::notTty, {}});
    }
    settings = lineSettings;
    return true;
}

bool InMemorySerialDevice::applyLineSettings(const LineSettings& settings) {
    if (failure == Failure::applyLineSettings) {
        return false;
    }
    lineSettings = settings;
    return true;
}

bool InMemorySerialDevice::readTimeouts(ReadTimeouts& current) {
    if (failure == Failure::readTimeouts) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    current = timeouts;
    return true;
}

bool InMemorySerialDevice::setTimeouts(const ReadTimeouts& newTimeouts) {
    if (failure == Failure::setTimeouts) {
        return failOpen({OpenFailureCause::lineSettings, {}});
    }
    timeouts = newTimeouts;
    return true;
}

bool InMemorySerialDevice::requestLowLatency() {
    if (grantsLowLatency && latencyTimer) {
        latencyTimer = 1;
    }
    return grantsLowLatency;
}

bool InMemorySerialDevice::setLatencyTimerMs(int ms) {
    if (!latencyTimer || !latencyTimerWritable) {
        return false;
    }
    latencyTimer = ms;
    return true;
}

std::size_t InMemorySerialDevice::take(std::uint8_t* buffer, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = peer.get().toTester(buffer + got, count - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    return got;
}

ReadOutcome InMemorySerialDevice::read(std::uint8_t* buffer, std::size_t count) {
    if (!opened || failure == Failure::readCall) {
        return {0, IoStatus::failed};
    }
    if (!peer.get().present()) {
        return {0, IoStatus::gone};
    }
    std::size_t got = take(buffer, count);
    if (got < count) {
        clock.sleepMs(static_cast<std::uint32_t>(count) * timeouts.totalPerByteMs +
                      timeouts.totalConstantMs);
        got += take(buffer + got, count - got);
    }
    return {got, got == count ? IoStatus::ok : IoStatus::timedOut};
}

WriteOutcome InMemorySerialDevice::write(const std::uint8_t* data, std::size_t count) {
    if (!opened || failure == Failure::writeCall) {
        return {0, IoStatus::failed};
    }
    if (!peer.get().present()) {
        return {0, IoStatus::gone};
    }
    peer.get().fromTester({data, count});
    return {count, failure == Failure::writeCallAfterSending ? IoStatus::failed : IoStatus::ok};
}

void InMemorySerialDevice::flushInput() {
    // Bounded, so that a peer that never stops talking cannot hold the tester here.
    std::uint8_t scratch[64];
    for (int round = 0; opened && round < 64; ++round) {
        if (peer.get().toTester(scratch, sizeof scratch) == 0) {
            break;
        }
    }
}

bool InMemorySerialDevice::close() {
    if (failure == Failure::close) {
        return false;
    }
    opened = false;
    return true;
}

}  // namespace ecuprobe::platform
