#include "app/app_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "line/exit_codes.h"
#include "project_version.h"

namespace ecuprobe::app {

namespace {

constexpr const char* overview =
    "ecuprobe: the desktop diagnostic tester for the MIKAS 5.4 and 7.1 engine ECUs of GAZ\n"
    "cars, spoken to over a serial K-line adapter.";

constexpr const char* examples =
    "Examples:\n"
    "  ecuprobe --simulate\n"
    "  ecuprobe --simulate runup\n"
    "  ecuprobe --port /dev/ttyUSB0\n"
    "  ecuprobe --com2 /dev/ttyUSB1 --trace line.log\n"
    "  ecuprobe 1700000000.dmp 1700003600.dmp\n"
    "Closing the console or the program, also by SIGTERM or Ctrl-C, hands every output\n"
    "back to the ECU before the port closes.\n"
    "Exit status: 0 the window was closed, 1 the built-in simulator could not start, 64 a\n"
    "bad option or a trace file that is the port itself, 73 the trace file cannot be\n"
    "written, 74 the standard streams cannot be opened, 128+N stopped by signal N.";

}  // namespace

std::optional<int> parseAppOptions(std::vector<std::string> args, AppOptions& options,
                                   std::ostream& out, std::ostream& err) {
    CLI::App app(overview, "ecuprobe");
    app.footer(line::helpForThisSystem(examples));
    app.set_version_flag("--version", std::string("ecuprobe ") + projectVersion);
    line::addGlobalOptions(app, options.line);
    app.add_option("files", options.files,
                   "Saved files to open: test runs (.dmp, .dma, .dmm; several side by side), "
                   "drive logs (.tsv), tester dumps (.tdm). They are only read.");
    // CLI11 takes the arguments last first.
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, out, err);
        return status == 0 ? line::exitOk : line::exitUsage;
    }
    if (const std::string problem = line::crossCheck(options.line); !problem.empty()) {
        err << problem << "\nRun with --help for more information.\n";
        return line::exitUsage;
    }
    options.portGiven = app.count("--port") > 0;
    return std::nullopt;
}

std::optional<int> commandLineComSlot(const AppOptions& options) {
    if (!options.portGiven && !options.line.simulate) {
        return std::nullopt;
    }
    return options.line.portChoice().comIndex;
}

void layKeptComPaths(AppOptions& options,
                     const std::array<std::string, platform::PortMap::portCount>& kept,
                     const platform::PortMap& environment) {
    const platform::PortMap defaults;
    for (std::size_t slot = 0; slot < kept.size(); ++slot) {
        const int com = static_cast<int>(slot);
        std::string& given = options.line.comPaths[slot];
        if (given.empty() && environment.path(com) == defaults.path(com)) {
            given = kept[slot];
        }
    }
}

}  // namespace ecuprobe::app
