#include "cli/stop_signals.h"

#include <unistd.h>

#include <array>
#include <csignal>

namespace ecuprobe::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

constexpr std::array<int, 4> handled{SIGINT, SIGTERM, SIGHUP, SIGPIPE};
std::array<struct sigaction, handled.size()> previous{};

extern "C" void onStopSignal(int signal) {
    if (stopSignal == 0) {
        stopSignal = signal;
        return;
    }
    // Writes to a closed pipe raise SIGPIPE again and again; only a person asks twice.
    if (signal != SIGPIPE) {
        static constexpr char note[] =
            "\necuprobe-cli: handing every control back to the ECU first (a few seconds)\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, note, sizeof note - 1);
    }
}

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a poll on stdin returns at once so the loop sees the flag.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &action, &previous[i]);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled[i], &previous[i], nullptr);
    }
}

bool StopSignals::requested() {
    return stopSignal != 0;
}

int StopSignals::signalNumber() {
    return static_cast<int>(stopSignal);
}

bool StopSignals::forgetInterrupt() {
    if (stopSignal != SIGINT) {
        return false;
    }
    stopSignal = 0;
    return true;
}

}  // namespace ecuprobe::cli
