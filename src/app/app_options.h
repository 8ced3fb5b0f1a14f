#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "line/global_options.h"
#include "platform/port_map.h"

namespace ecuprobe::app {

struct AppOptions {
    line::GlobalOptions line;
    // --port was given, so its slot comes before the one kept from the last console.
    bool portGiven = false;
    // Saved runs, drive logs and dumps to open at the start.
    std::vector<std::string> files;
};

// The desktop tester's command line: the line options it shares with
// ecuprobe-cli. args without the program name. The exit status when the program
// should end here (help: 0; a usage error: 64, with the message on err), else nullopt.
std::optional<int> parseAppOptions(std::vector<std::string> args, AppOptions& options,
                                   std::ostream& out, std::ostream& err);

// The COM slot the console selects first on the command line's word: the one
// --port names, or the one the simulator serves; none when neither was asked.
std::optional<int> commandLineComSlot(const AppOptions& options);

// Lays the COM slots a person mapped to a detected device in an earlier console
// (kept; empty where none was) under the command line and the environment
// (environment: the port map it gives): only a slot that neither names takes one.
void layKeptComPaths(AppOptions& options,
                     const std::array<std::string, platform::PortMap::portCount>& kept,
                     const platform::PortMap& environment);

}  // namespace ecuprobe::app
