#pragma once

#include <ctime>

namespace ecuprobe::platform {

// A moment (seconds since 1970-01-01 00:00 UTC) as the calendar of the user's time zone.
std::tm localCalendar(std::time_t moment);

}  // namespace ecuprobe::platform
