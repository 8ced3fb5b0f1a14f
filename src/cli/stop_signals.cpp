#include "cli/stop_signals.h"

#include <unistd.h>

#include <csignal>

#include "cli/exit_codes.h"

namespace ecuprobe::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
    if (stopSignal == SIGINT && signal == SIGINT) {
        ::_exit(exitSignalBase + SIGINT);
    }
    stopSignal = signal;
}

struct sigaction previousInt {};
struct sigaction previousTerm {};

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a poll on stdin returns at once so the loop sees the flag.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

bool StopSignals::requested() {
    return stopSignal != 0;
}

int StopSignals::signalNumber() {
    return static_cast<int>(stopSignal);
}

}  // namespace ecuprobe::cli
