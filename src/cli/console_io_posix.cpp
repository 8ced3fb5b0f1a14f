#include <unistd.h>

#include <iostream>

#include "cli/console_io.h"
#include "cli/stop_signals.h"
#include "platform/descriptor_output.h"

namespace ecuprobe::cli {

// stdout and stderr write through buffers that give way to a stop, so that Ctrl-C
// ends a command whose terminal or pipe holds its output back. They are never
// destroyed: the streams flush through them until the program's very end.
void prepareConsole() {
    static auto* out = new platform::DescriptorOutput(STDOUT_FILENO, StopSignals::requested,
                                                      isTerminal(StandardStream::output), false);
    static auto* err =
        new platform::DescriptorOutput(STDERR_FILENO, StopSignals::requested, true, false);
    std::cout.rdbuf(out);
    std::cerr.rdbuf(err);
}

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
