#include <unistd.h>

#include "cli/console_io.h"

namespace ecuprobe::cli {

void prepareConsole() {}

bool isTerminal(StandardStream stream) {
    switch (stream) {
        case StandardStream::input:
            return ::isatty(STDIN_FILENO) == 1;
        case StandardStream::output:
            return ::isatty(STDOUT_FILENO) == 1;
        case StandardStream::error:
            return ::isatty(STDERR_FILENO) == 1;
    }
    return false;
}

std::vector<std::string> commandArguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

}  // namespace ecuprobe::cli
