#include "platform/clock.h"

#include <windows.h>

namespace ecuprobe::platform {

// The performance counter rather than GetTickCount64, whose steps of about
// 16 ms would blur the millisecond stamps of the wire trace.
std::uint32_t RealClock::tickMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    // Whole seconds and the rest apart, so that counter * 1000 cannot overflow.
    const long long perSecond = frequency.QuadPart;
    const long long ms =
        counter.QuadPart / perSecond * 1000 + counter.QuadPart % perSecond * 1000 / perSecond;
    return static_cast<std::uint32_t>(ms);
}

void RealClock::sleepMs(std::uint32_t ms) {
    Sleep(ms);
}

}  // namespace ecuprobe::platform
