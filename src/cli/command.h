#pragma once

#include <functional>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/line_setup.h"

namespace CLI {
class App;
}

namespace ecuprobe::cli {

// What a command runs with once the line is set up.
struct RunContext {
    const GlobalOptions& options;
    LineSetup& line;
    std::ostream& out;
    std::ostream& err;
};

using CommandRun = std::function<int(RunContext&)>;

// Filled by the callback of the subcommand that was given; run after parsing.
struct CommandChoice {
    CommandRun run;
};

// Each command lives in its own file and adds its subcommand here.
void addConnectCommand(CLI::App& app, CommandChoice& choice);
void addLiveCommand(CLI::App& app, CommandChoice& choice);
void addFaultsCommands(CLI::App& app, CommandChoice& choice);
void addMonitorCommand(CLI::App& app, CommandChoice& choice);

// The exit status of a command that ended with `code`, or 128 + the signal
// when a signal cut it short.
int exitStatusAfter(int code);

}  // namespace ecuprobe::cli
