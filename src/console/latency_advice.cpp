#include "console/latency_advice.h"

namespace ecuprobe::console {

namespace {

#ifdef _WIN32
constexpr const char* timerName = "Latency Timer";
constexpr const char* remedy =
    "Диспетчер устройств → Свойства порта → Дополнительно → Latency Timer = 1.";
#else
constexpr const char* timerName = "latency_timer";
// The package installs the rule; it acts when the adapter is plugged in.
constexpr const char* remedy =
    "правило udev /usr/lib/udev/rules.d/99-ecuprobe-ftdi-latency.rules установлено, переподключите "
    "адаптер.";
#endif

// "2,2", or "2" for a whole number: Russian writes a decimal comma.
std::string tenthsText(int tenths) {
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += ',' + std::to_string(tenths % 10);
    }
    return text;
}

// How many times slower, in tenths, a link check runs behind an adapter that
// holds bytes back for timerMs: on a direct line it takes about 6.4 ms, and the
// timer adds about half its period to each exchange on average.
int slowdownTenths(int timerMs) {
    constexpr int directCheckTenthsOfMs = 64;
    return (directCheckTenthsOfMs + 5 * timerMs) * 10 / directCheckTenthsOfMs;
}

}  // namespace

std::string latencyAdvice(const link::AdapterLatency& latency) {
    const int ms = latency.timerMs.value_or(0);
    return "Адаптер FTDI задерживает приём на " + std::to_string(ms) + " мс (" + timerName +
           "): обмен идёт в " + tenthsText(slowdownTenths(ms)) +
           " раза медленнее. Уменьшите до 1 мс: " + remedy;
}

}  // namespace ecuprobe::console
