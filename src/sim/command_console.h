#pragma once

#include <string>
#include <string_view>

#include "sim/simulated_ecu.h"

namespace ecuprobe::sim {

struct CommandResult {
    std::string reply;  // one line for the person at the console, empty for none
    bool quit = false;
};

// Runs one command line of ecu-sim's console (see commandHelp()).
CommandResult runCommand(SimulatedEcu& ecu, std::string_view line);
std::string_view commandHelp();

}  // namespace ecuprobe::sim
