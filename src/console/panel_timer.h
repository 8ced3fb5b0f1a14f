#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace ecuprobe::console {

// The console's periodic poll timer. The Qt window backs it with a QTimer on the
// link thread, the command-line tester with a loop on its clock, the tests with
// ManualTimer. The callback must run on the thread that owns the panel.
class PanelTimer {
public:
    using Callback = std::function<void()>;

    virtual ~PanelTimer() = default;
    // Starts firing onFire every periodMs; returns a handle that is never 0, or 0
    // when no timer could be started.
    virtual std::uint32_t start(std::uint32_t id, std::uint32_t periodMs, Callback onFire) = 0;
    virtual void stop(std::uint32_t handle) = 0;
};

// A timer that fires only when told to: by fire() in the tests, or by
// fireIfDue() from a loop that keeps the time on a Clock.
class ManualTimer final : public PanelTimer {
public:
    ManualTimer() = default;
    explicit ManualTimer(platform::Clock& loopClock) : clock(&loopClock) {}

    std::uint32_t start(std::uint32_t id, std::uint32_t periodMs, Callback onFire) override {
        timerId = id;
        period = periodMs;
        callback = std::move(onFire);
        running = true;
        ++startCount;
        if (clock != nullptr) {
            lastFireMs = clock->tickMs();
        }
        return id == 0 ? 1 : id;
    }

    void stop(std::uint32_t) override {
        running = false;
        callback = nullptr;
        ++stopCount;
    }

    // Runs the callback once, as a timer message would; false while stopped.
    bool fire() {
        if (!running) {
            return false;
        }
        // The callback may stop or restart the timer, which replaces callback.
        const Callback current = callback;
        current();
        return true;
    }

    // Milliseconds until the next firing is due on the clock; 0 when it is due.
    std::uint32_t msUntilDue() const {
        if (clock == nullptr || !running) {
            return 0;
        }
        const std::uint32_t elapsed = clock->tickMs() - lastFireMs;
        return elapsed >= period ? 0 : period - elapsed;
    }

    // Fires when a whole period has passed since the start or the last firing.
    // Like a window timer it never fires twice to catch up after a long tick.
    bool fireIfDue() {
        if (clock == nullptr || !running || msUntilDue() != 0) {
            return false;
        }
        lastFireMs = clock->tickMs();
        return fire();
    }

    bool isRunning() const { return running; }
    std::uint32_t id() const { return timerId; }
    std::uint32_t periodMs() const { return period; }

    int startCount = 0;
    int stopCount = 0;

private:
    platform::Clock* clock = nullptr;
    Callback callback;
    std::uint32_t timerId = 0;
    std::uint32_t period = 0;
    std::uint32_t lastFireMs = 0;
    bool running = false;
};

}  // namespace ecuprobe::console
