#include "console/latency_advice.h"

#include <gtest/gtest.h>

#include <string>

namespace ecuprobe::console {
namespace {

#ifdef _WIN32
const std::string timer = "Latency Timer";
const std::string remedy =
    "Диспетчер устройств → Свойства порта → Дополнительно → Latency Timer = 1.";
#else
const std::string timer = "latency_timer";
const std::string remedy =
    "правило udev /usr/lib/udev/rules.d/99-ecuprobe-ftdi-latency.rules установлено, переподключите "
    "адаптер.";
#endif

TEST(LatencyAdvice, NamesTheDelayItsCostInTenthsAndTheRemedy) {
    const struct {
        int timerMs;
        const char* cost;
    } cases[] = {{3, "в 1,2 раза"}, {16, "в 2,2 раза"}, {64, "в 6 раза"}, {255, "в 20,9 раза"}};
    for (const auto& c : cases) {
        link::AdapterLatency slow;
        slow.timerMs = c.timerMs;
        EXPECT_EQ(latencyAdvice(slow), "Адаптер FTDI задерживает приём на " +
                                           std::to_string(c.timerMs) + " мс (" + timer +
                                           "): обмен идёт " + c.cost +
                                           " медленнее. Уменьшите до 1 мс: " + remedy);
    }
}

}  // namespace
}  // namespace ecuprobe::console
