#include "sim/usb_adapter_line.h"

#include <algorithm>
#include <cmath>

namespace ecuprobe::sim {

namespace {

// 10 bits a byte (start, 8 data, stop) at 9600 bit/s.
constexpr double byteMs = 10.0 * 1000 / 9600;

}  // namespace

UsbAdapterLine::UsbAdapterLine(ServedLine& line, platform::Clock& lineClock, int latencyMs,
                               bool pacing, TimerSetting timerSetting)
    : inner(line),
      clock(lineClock),
      timerMs(std::max(1, latencyMs)),
      paced(pacing),
      setting(std::move(timerSetting)),
      startMs(lineClock.tickMs()),
      vanishesSeen(line.vanishCount()) {}

double UsbAdapterLine::sinceStart(std::uint32_t nowMs) const {
    return static_cast<double>(static_cast<std::uint32_t>(nowMs - startMs));
}

// The FTDI driver takes 1..255 ms; anything else in the file is left unheeded.
void UsbAdapterLine::followSetting(double nowMs) {
    if (!setting || nowMs - settingReadMs < settingCheckMs) {
        return;
    }
    settingReadMs = nowMs;
    const std::optional<int> set = setting();
    if (set && *set >= 1 && *set <= 255 && *set != timerMs) {
        timerMs = *set;
        gridStartMs = nowMs;
    }
}

void UsbAdapterLine::takeFromLine(double nowMs) {
    std::uint8_t chunk[256];
    while (const std::size_t count = inner.toTester(chunk, sizeof chunk)) {
        for (std::size_t i = 0; i < count; ++i) {
            double arrival = nowMs;
            if (paced) {
                lineFreeMs = std::max(lineFreeMs, nowMs) + byteMs;
                arrival = lineFreeMs;
            }
            held.push_back({arrival, chunk[i]});
        }
    }
}

// The first tick of the timer's grid at or after ms.
double UsbAdapterLine::firstTickFrom(double ms) const {
    const double period = timerMs;
    return gridStartMs + std::ceil((ms - gridStartMs) / period) * period;
}

// The bytes the chip has passed on by nowMs: all that came before the last tick,
// and whole packets of what came since.
std::size_t UsbAdapterLine::releasable(double nowMs) const {
    const double period = timerMs;
    const double lastTick = gridStartMs + std::floor((nowMs - gridStartMs) / period) * period;
    std::size_t beforeTick = 0;
    std::size_t arrived = 0;
    for (const Held& byte : held) {
        if (byte.arrivalMs > nowMs) {
            break;
        }
        ++arrived;
        beforeTick += byte.arrivalMs <= lastTick ? 1 : 0;
    }
    return beforeTick + (arrived - beforeTick) / packetPayload * packetPayload;
}

std::size_t UsbAdapterLine::toTester(std::uint8_t* buffer, std::size_t max) {
    if (inner.vanishCount() != vanishesSeen) {
        vanishesSeen = inner.vanishCount();
        held.clear();
    }
    const double now = sinceStart(clock.tickMs());
    followSetting(now);
    takeFromLine(now);
    const std::size_t count = std::min(max, releasable(now));
    for (std::size_t i = 0; i < count; ++i) {
        buffer[i] = held[i].byte;
    }
    held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::optional<std::uint32_t> UsbAdapterLine::msUntilDue() const {
    std::optional<std::uint32_t> due = inner.msUntilDue();
    if (held.empty() || !inner.present()) {
        return due;
    }
    double releaseMs = firstTickFrom(held.front().arrivalMs);
    if (held.size() >= packetPayload) {
        releaseMs = std::min(releaseMs, held[packetPayload - 1].arrivalMs);
    }
    const double left = std::max(0.0, std::ceil(releaseMs - sinceStart(clock.tickMs())));
    const auto ours = static_cast<std::uint32_t>(left);
    return due ? std::min(*due, ours) : ours;
}

}  // namespace ecuprobe::sim
