#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace ecuprobe::app {

struct AppOptions {
    cli::GlobalOptions line;
    // --port was given, so its slot comes before the one kept from the last console.
    bool portGiven = false;
};

// The desktop tester's command line: the line options it shares with
// ecuprobe-cli. args without the program name. The exit status when the program
// should end here (help: 0; a usage error: 64, with the message on err), else nullopt.
std::optional<int> parseAppOptions(std::vector<std::string> args, AppOptions& options,
                                   std::ostream& out, std::ostream& err);

// The COM slot the console selects first on the command line's word: the one
// --port names, or the one the simulator serves; none when neither was asked.
std::optional<int> commandLineComSlot(const AppOptions& options);

}  // namespace ecuprobe::app
