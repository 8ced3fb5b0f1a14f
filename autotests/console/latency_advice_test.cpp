#include "console/latency_advice.h"

#include <gtest/gtest.h>

#include <string>

namespace ecuprobe::console {
namespace {

TEST(LatencyAdvice, NamesTheDelayWhatItCostsAndTheRemedy) {
    link::AdapterLatency slow;
    slow.timerMs = 16;
    EXPECT_EQ(latencyAdvice(slow),
              "Адаптер FTDI задерживает приём на 16 мс (latency_timer): обмен идёт в 2,2 раза "
              "медленнее. Уменьшите до 1 мс: правило udev в README.");
}

TEST(LatencyAdvice, TheCostGrowsWithTheTimerInTenths) {
    const struct {
        int timerMs;
        int tenths;
    } cases[] = {{1, 10}, {3, 12}, {16, 22}, {64, 60}, {255, 209}};
    for (const auto& c : cases) {
        EXPECT_EQ(slowdownTenths(c.timerMs), c.tenths) << c.timerMs;
    }
    link::AdapterLatency whole;
    whole.timerMs = 64;
    EXPECT_NE(latencyAdvice(whole).find("в 6 раза"), std::string::npos) << "no \",0\"";
}

}  // namespace
}  // namespace ecuprobe::console
