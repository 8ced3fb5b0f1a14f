#pragma once

#include <cstdint>
#include <ctime>

namespace ecuprobe::platform {

// Every pause and read deadline of the tester goes through a Clock, so that the
// whole system can run on virtual time in the automated tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic clock; wraps like the 32-bit tick count.
    virtual std::uint32_t tickMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::time_t calendarNow() = 0;
};

// A calendar time as the local wall clock shows it (dates in reports), without
// the shared buffer of std::localtime.
std::tm localCalendar(std::time_t when);

class RealClock final : public Clock {
public:
    std::uint32_t tickMs() override;
    void sleepMs(std::uint32_t ms) override;
    std::time_t calendarNow() override;
};

// Virtual time: sleeps return at once and move the time on, so a test of
// seconds of line traffic finishes in microseconds.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::uint32_t startTickMs = 0, std::time_t startCalendar = 1700000000)
        : nowMs(startTickMs), calendarBase(startCalendar), startMs(startTickMs) {}

    std::uint32_t tickMs() override { return nowMs; }
    void sleepMs(std::uint32_t ms) override { advance(ms); }
    std::time_t calendarNow() override {
        return calendarBase + static_cast<std::time_t>((nowMs - startMs) / 1000u);
    }

    void advance(std::uint32_t ms) {
        nowMs += ms;
        sleptMs += ms;
    }
    // Total virtual time that has passed through sleeps and read deadlines.
    std::uint64_t totalSleptMs() const { return sleptMs; }

private:
    std::uint32_t nowMs;
    std::time_t calendarBase;
    std::uint32_t startMs;
    std::uint64_t sleptMs = 0;
};

}  // namespace ecuprobe::platform
