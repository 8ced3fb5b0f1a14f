#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace ecuprobe::platform {
namespace {

// Whatever the machine's time zone, the local calendar maps back to the same second.
TEST(LocalCalendar, MapsBackToTheSameSecond) {
    const std::time_t moments[] = {
        951782400,   // 2000-02-29 00:00 UTC
        1700000000,  // 2023-11-14
        1711846800,  // 2024-03-31 01:00 UTC, when central Europe goes over to summer time
        4102444800,  // 2100-01-01: past the 32-bit time_t
    };
    for (const std::time_t moment : moments) {
        std::tm local = localCalendar(moment);
        EXPECT_EQ(std::mktime(&local), moment) << moment;
    }
}

}  // namespace
}  // namespace ecuprobe::platform
