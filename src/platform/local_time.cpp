#include "platform/local_time.h"

namespace ecuprobe::platform {

std::tm localCalendar(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return local;
}

}  // namespace ecuprobe::platform
