#include <unistd.h>

#include <csignal>
#include <vector>

#include "cli/stop_signals.h"
#include "line/outside_stop_signals.h"

namespace ecuprobe::cli {

namespace {

std::vector<struct sigaction> previous;

// Writes to a closed pipe or past the file size limit raise their signal again
// with every try, and a CPU limit once a second; only a person asks twice.
bool repeatsByItself(int signal) {
    return signal == SIGPIPE || signal == SIGXFSZ || signal == SIGXCPU;
}

extern "C" void onStopSignal(int signal) {
    if (!StopSignals::record(signal) && !repeatsByItself(signal)) {
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, handBackNote.data(), handBackNote.size());
    }
}

}  // namespace

void StopSignals::install() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a poll on stdin returns at once so the loop sees the flag.
    action.sa_flags = 0;
    const std::vector<int>& handled = line::outsideStopSignals();
    previous.assign(handled.size(), {});
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &action, &previous[i]);
    }
}

void StopSignals::uninstall() {
    const std::vector<int>& handled = line::outsideStopSignals();
    for (std::size_t i = 0; i < handled.size() && i < previous.size(); ++i) {
        sigaction(handled[i], &previous[i], nullptr);
    }
}

}  // namespace ecuprobe::cli
