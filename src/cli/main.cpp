#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console_io.h"
#include "line/exit_codes.h"
#include "platform/process_files.h"

int main(int argc, char** argv) {
    if (!ecuprobe::platform::reserveStandardDescriptors()) {
        return ecuprobe::line::exitIoError;
    }
    ecuprobe::cli::prepareConsole();
    ecuprobe::cli::CliApp cli;
    const std::vector<std::string> args = ecuprobe::cli::commandArguments(argc, argv);
    if (const std::optional<int> status = cli.parse(args, std::cout, std::cerr)) {
        return *status;
    }
    return cli.run(std::cout, std::cerr);
}
