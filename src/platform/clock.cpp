#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace ecuprobe::platform {

std::uint32_t RealClock::tickMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void RealClock::sleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::time_t RealClock::calendarNow() {
    return std::time(nullptr);
}

}  // namespace ecuprobe::platform
