#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>

#include "cli/stop_signals.h"
#include "line/outside_stop_signals.h"

namespace ecuprobe::cli {

namespace {

// SIGPIPE too: the reader of stdout went away.
constexpr std::array<int, line::outsideStopSignals.size() + 1> handled = [] {
    std::array<int, line::outsideStopSignals.size() + 1> all{};
    std::copy(line::outsideStopSignals.begin(), line::outsideStopSignals.end(), all.begin());
    all.back() = SIGPIPE;
    return all;
}();
std::array<struct sigaction, handled.size()> previous{};

extern "C" void onStopSignal(int signal) {
    // Writes to a closed pipe raise SIGPIPE again and again; only a person asks twice.
    if (!StopSignals::record(signal) && signal != SIGPIPE) {
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
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &action, &previous[i]);
    }
}

void StopSignals::uninstall() {
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &previous[i], nullptr);
    }
}

}  // namespace ecuprobe::cli
