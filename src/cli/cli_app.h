#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "line/global_options.h"

namespace CLI {
class App;
}

namespace ecuprobe::cli {

// The command line of ecuprobe-cli: the global options, one subcommand per
// service, and the run of the one that was given.
class CliApp {
public:
    CliApp();
    CliApp(const CliApp&) = delete;
    CliApp& operator=(const CliApp&) = delete;
    ~CliApp();

    // args without the program name. The exit status when the program should end
    // here (help: 0; a usage error: 64, with the message on err), else nullopt.
    std::optional<int> parse(std::vector<std::string> args, std::ostream& out, std::ostream& err);
    // Sets up the line and runs the chosen command; its exit status.
    int run(std::ostream& out, std::ostream& err);

    const line::GlobalOptions& options() const { return global; }

private:
    std::unique_ptr<CLI::App> app;
    line::GlobalOptions global;
    CommandChoice choice;
};

}  // namespace ecuprobe::cli
