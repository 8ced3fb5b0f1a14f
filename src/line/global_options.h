#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/port_map.h"

namespace CLI {
class App;
}

namespace ecuprobe::line {

// --port: COM1..COM4 picks a slot of the port map; a device path is put into
// the COM1 slot, overriding --com1 and ECUPROBE_COM1.
struct PortChoice {
    int comIndex = 0;  // 0..3 for COM1..COM4
    std::optional<std::string> path;

    bool operator==(const PortChoice&) const = default;
};

// nullopt for anything that is neither COM1..COM4 (any case) nor a path (holds a '/').
std::optional<PortChoice> parsePortChoice(std::string_view text);

struct GlobalOptions {
    std::string port = "COM1";
    // --com1..--com4; empty where not given, so the environment decides.
    std::array<std::string, 4> comPaths;
    bool simulate = false;
    std::string scenario = "idle";
    std::string simStoredFaults;
    std::string simEquipment;  // twelve hex digits; empty for the simulator's own
    std::vector<std::string> simFaultRules;
    // The simulator behind an emulated FTDI USB adapter with this latency timer; 0: none.
    int simUsbLatencyMs = 0;
    std::optional<std::string> tracePath;
    // The adapter cancels its own echo: nothing is read back after a request.
    bool noEcho = false;

    PortChoice portChoice() const;
};

// The port map the options ask for: base (the environment's) with --com1..--com4
// and a --port path laid over it.
platform::PortMap portMapFor(const GlobalOptions& options, platform::PortMap base);

// A help text as this system reads it: its examples' USB adapters, written as
// Linux names them (/dev/ttyUSB0, /dev/ttyUSB1), are COM5 and COM6 on Windows.
std::string helpForThisSystem(std::string text);

// Adds the options that come before the command; checks each value as it is parsed.
void addGlobalOptions(CLI::App& app, GlobalOptions& options);

// Combinations that no single option can check; the message for a usage error, or "".
std::string crossCheck(const GlobalOptions& options);

}  // namespace ecuprobe::line
