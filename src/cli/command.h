#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "ecu/hand_back.h"
#include "line/chosen_line.h"
#include "line/global_options.h"

namespace CLI {
class App;
}

namespace ecuprobe::cli {

// What a command runs with once the line is set up.
struct RunContext {
    const line::GlobalOptions& options;
    line::ChosenLine& line;
    std::ostream& out;
    std::ostream& err;

    // Output could not be written (stdout to a full disk or a closed pipe, the
    // trace file): a loop stops rather than go on losing what it reads.
    bool outputLost() const { return !out || line.traceBroken(); }
};

using CommandRun = std::function<int(RunContext&)>;

// Filled by the callback of the subcommand that was given; run after parsing.
struct CommandChoice {
    CommandRun run;
    // Speaks on the line, so the trace asked for is opened; a command that never
    // does (ports) must not fail on a trace file it would not write.
    bool usesLine = true;
};

// Each command lives in its own file and adds its subcommand here.
void addConnectCommand(CLI::App& app, CommandChoice& choice);
void addLiveCommand(CLI::App& app, CommandChoice& choice);
void addFaultsCommands(CLI::App& app, CommandChoice& choice);
void addMonitorCommand(CLI::App& app, CommandChoice& choice);
void addTestCommand(CLI::App& app, CommandChoice& choice);
void addReportCommand(CLI::App& app, CommandChoice& choice);
void addIdentCommand(CLI::App& app, CommandChoice& choice);
void addParamsCommand(CLI::App& app, CommandChoice& choice);
void addResetCommand(CLI::App& app, CommandChoice& choice);
void addLogCommand(CLI::App& app, CommandChoice& choice);
void addPortsCommand(CLI::App& app, CommandChoice& choice);
void addSelfTestCommand(CLI::App& app, CommandChoice& choice);
void addShowCommand(CLI::App& app, CommandChoice& choice);

// The exit status of a command that ended with `code`, saying on stderr what
// overrides it, strongest first: the ECU did not confirm the hand-back (handBack
// given and not complete: line::exitHandBackUnconfirmed, the registers named); a signal
// cut the command short (128 + the signal); output was lost (line::exitIoError).
int commandExitStatus(RunContext& run, int code, const ecu::HandBackOutcome* handBack);

// Refuses an output file of the command that is one of the COM ports (see
// line::outputOnPortProblem), saying so on stderr: line::exitUsage, or line::exitOk when it is
// none.
int refuseOutputOnPort(RunContext& run, std::string_view what, const std::string& path);

}  // namespace ecuprobe::cli
