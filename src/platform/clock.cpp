#include "platform/clock.h"

namespace ecuprobe::platform {

std::time_t RealClock::calendarNow() {
    return std::time(nullptr);
}

std::tm localCalendar(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

}  // namespace ecuprobe::platform
