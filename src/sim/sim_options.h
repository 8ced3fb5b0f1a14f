#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/simulated_ecu.h"

namespace CLI {
class App;
}

namespace ecuprobe::sim {

// ecu-sim's command line. Every value is checked as it is parsed, so that a bad
// one ends the program with the usage status before anything is served.
struct SimSettings {
    int type = mikas54Type;
    std::string scenario = "idle";
    std::vector<std::string> faultRules;
    std::string storedFaults;
    std::string equipment;
    bool pacing = false;
    std::uint32_t delayMs = 0;
    std::uint64_t seed = 1;
    std::string tracePath;
    std::string linkPath;
    std::string replayPath;
    // An FTDI USB adapter's latency timer in ms; 0 for a plain serial adapter.
    int usbLatencyMs = 0;
    std::string fakeSysfsPath;
    bool latencyReadOnly = false;
};

// sysexits.h's EX_USAGE, as the tester ends on a bad option.
inline constexpr int usageStatus = 64;

void addSimOptions(CLI::App& app, SimSettings& settings);

// The simulated ECU's options from settings that passed their checks.
SimulatedEcuOptions ecuOptions(const SimSettings& settings);

}  // namespace ecuprobe::sim
