#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>

#include "platform/clock.h"
#include "sim/served_line.h"

namespace ecuprobe::sim {

// A USB K-line adapter with an FTDI chip in front of a served line. Every byte on
// its way to the tester (echo and answer alike) waits in the chip, which passes
// on what it holds each time its latency timer runs out, on a fixed grid of that
// period, or at once when a USB packet's 62 bytes are waiting. With pacing the
// bytes first cross the K-line at 9600 bit/s, so they reach the chip one by one.
// Driven from one thread, like the pty server that serves it.
class UsbAdapterLine final : public ServedLine {
public:
    // The chip's timer as a person set it last (the driver's latency_timer);
    // nullopt when it cannot be read just now.
    using TimerSetting = std::function<std::optional<int>()>;

    static constexpr std::size_t packetPayload = 62;
    // How often the timer setting is looked at, on the line's clock.
    static constexpr std::uint32_t settingCheckMs = 100;

    UsbAdapterLine(ServedLine& line, platform::Clock& clock, int latencyMs, bool pacing,
                   TimerSetting setting = {});

    void fromTester(std::span<const std::uint8_t> bytes) override { inner.fromTester(bytes); }
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;
    bool present() const override { return inner.present(); }
    int vanishCount() const override { return inner.vanishCount(); }
    std::optional<std::uint32_t> msUntilDue() const override;

    int latencyMs() const { return timerMs; }

private:
    struct Held {
        double arrivalMs;
        std::uint8_t byte;
    };

    double sinceStart(std::uint32_t nowMs) const;
    void followSetting(double nowMs);
    void takeFromLine(double nowMs);
    std::size_t releasable(double nowMs) const;
    double firstTickFrom(double ms) const;

    ServedLine& inner;
    platform::Clock& clock;
    int timerMs;
    bool paced;
    TimerSetting setting;
    std::uint32_t startMs;
    // Where the timer's grid began: at the start, and again whenever it is set.
    double gridStartMs = 0;
    double settingReadMs = -1.0 * settingCheckMs;
    double lineFreeMs = 0;
    std::deque<Held> held;
    // A pulled adapter loses what its chip held.
    int vanishesSeen = 0;
};

}  // namespace ecuprobe::sim
