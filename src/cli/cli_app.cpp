#include "cli/cli_app.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "cli/stop_signals.h"
#include "line/chosen_line.h"
#include "line/exit_codes.h"
#include "project_version.h"

namespace ecuprobe::cli {

namespace {

constexpr const char* overview =
    "ecuprobe-cli: diagnostic tester for the MIKAS 5.4 and 7.1 engine ECUs of GAZ cars,\n"
    "spoken to over a serial K-line adapter.";

constexpr const char* examples =
    "Examples:\n"
    "  ecuprobe-cli --port /dev/ttyUSB0 connect\n"
    "  ecuprobe-cli --com2 /dev/ttyUSB1 --port COM2 live --count 10 --tsv\n"
    "  ecuprobe-cli faults --decoded\n"
    "  ecuprobe-cli --simulate live --count 3\n"
    "  ecuprobe-cli --simulate --sim-faults 13:20,131:60 clear-faults\n"
    "  ecuprobe-cli --simulate monitor\n"
    "  ecuprobe-cli --simulate ident\n"
    "  ecuprobe-cli params --idle-speed 900\n"
    "  ecuprobe-cli reset-adaptation knock --yes\n"
    "  ecuprobe-cli ports\n"
    "  ecuprobe-cli --port /dev/ttyUSB0 selftest\n"
    "  ecuprobe-cli --port /dev/ttyUSB0 log --out drive.msl\n"
    "  ecuprobe-cli show 1700000000.dmp 1700003600.dmp\n"
    "Exit status: 0 done, 1 the port cannot be opened, 2 the ECU does not answer (or, for\n"
    "ident, gave no passport block), 3 the ECU refused a command, a measured test's run\n"
    "failed, or the adapter's echo is faulty (selftest), 4 the ECU did not confirm that it\n"
    "took every output back (named on stderr; this status wins over all others), 64 usage\n"
    "error, a refused value, an output file, stdout or stderr that is the port itself\n"
    "(nothing sent) or, for show, a file that cannot be read back (its line named), 73 a\n"
    "trace, log or report file cannot be written, 74 output was lost (disk full, closed\n"
    "pipe), 128+N stopped by signal N.\n"
    "Every command hands all outputs back to the ECU before it ends, also on Ctrl-C,\n"
    "SIGTERM, a closed stdout and every other signal that would end it (SIGHUP,\n"
    "SIGXFSZ, SIGPWR, the real-time signals...); after such a stop it sends no other\n"
    "write (no set, store, reset or clearing).";

}  // namespace

CliApp::CliApp() : app(std::make_unique<CLI::App>(overview, "ecuprobe-cli")) {
    app->footer(line::helpForThisSystem(examples));
    app->require_subcommand(1);
    app->set_version_flag("--version", std::string("ecuprobe-cli ") + projectVersion);
    line::addGlobalOptions(*app, global);
    addConnectCommand(*app, choice);
    addLiveCommand(*app, choice);
    addFaultsCommands(*app, choice);
    addMonitorCommand(*app, choice);
    addIdentCommand(*app, choice);
    addParamsCommand(*app, choice);
    addResetCommand(*app, choice);
    addTestCommand(*app, choice);
    addReportCommand(*app, choice);
    addLogCommand(*app, choice);
    addPortsCommand(*app, choice);
    addSelfTestCommand(*app, choice);
    addShowCommand(*app, choice);
}

CliApp::~CliApp() = default;

std::optional<int> CliApp::parse(std::vector<std::string> args, std::ostream& out,
                                 std::ostream& err) {
    // CLI11 takes the arguments last first.
    std::reverse(args.begin(), args.end());
    try {
        app->parse(args);
    } catch (const CLI::ParseError& error) {
        const int status = app->exit(error, out, err);
        return status == 0 ? line::exitOk : line::exitUsage;
    }
    if (const std::string problem = line::crossCheck(global); !problem.empty()) {
        err << problem << "\nRun with --help for more information.\n";
        return line::exitUsage;
    }
    return std::nullopt;
}

int CliApp::run(std::ostream& out, std::ostream& err) {
    StopSignals signals;
    line::GlobalOptions lineOptions = global;
    if (!choice.usesLine) {
        lineOptions.tracePath = std::string();
    }
    line::ChosenLine line(lineOptions);
    if (!line.ready()) {
        if (line.errorStream() != 0) {
            (line.errorStream() == 2 ? err : out) << "ecuprobe-cli: " << line.error() << '\n';
        }
        return line.errorExit();
    }
    RunContext context{global, line, out, err};
    return choice.run(context);
}

}  // namespace ecuprobe::cli
