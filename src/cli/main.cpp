#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    ecuprobe::cli::CliApp cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<int> status = cli.parse(args, std::cout, std::cerr)) {
        return *status;
    }
    return cli.run(std::cout, std::cerr);
}
