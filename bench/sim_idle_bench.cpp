// What the simulator costs while nobody talks to it: the pty server serving an
// idle ECU, its CPU time and wake-ups over repeated quiet spells.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

namespace {

using namespace ecuprobe;

struct Usage {
    double cpuS;
    long switches;
};

Usage usageNow() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {seconds(u.ru_utime) + seconds(u.ru_stime), u.ru_nvcsw + u.ru_nivcsw};
}

void printSpread(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-20s median %.3f  range %.3f .. %.3f\n", what, values[values.size() / 2],
                values.front(), values.back());
}

}  // namespace

int main() {
    platform::RealClock clock;
    sim::SimulatedEcu simulator(clock);
    sim::PtyServer server(simulator, {true, {}});
    if (!server.open()) {
        std::fprintf(stderr, "sim_idle_bench: %s\n", server.error().c_str());
        return 1;
    }
    server.start();
    constexpr int runs = 5;
    constexpr double spellS = 2.0;
    std::vector<double> cpuPercent;
    std::vector<double> wakeupsPerSecond;
    for (int i = 0; i < runs; ++i) {
        const Usage before = usageNow();
        std::this_thread::sleep_for(std::chrono::duration<double>(spellS));
        const Usage after = usageNow();
        cpuPercent.push_back((after.cpuS - before.cpuS) / spellS * 100);
        // The bench's own sleep is one switch of the spell.
        wakeupsPerSecond.push_back(static_cast<double>(after.switches - before.switches - 1) /
                                   spellS);
    }
    server.stop();
    std::printf("ecu-sim idle, %d spells of %.0f s (target: below 0.1 %% CPU)\n", runs, spellS);
    printSpread("CPU %", cpuPercent);
    printSpread("wake-ups per second", wakeupsPerSecond);
    return 0;
}
