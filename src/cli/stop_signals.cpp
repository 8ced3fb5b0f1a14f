#include "cli/stop_signals.h"

#include <atomic>
#include <csignal>

namespace ecuprobe::cli {

namespace {

// Set from a signal handler on POSIX and from the console's handler thread on
// Windows: a lock-free atomic is safe for both.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    install();
}

StopSignals::~StopSignals() {
    uninstall();
}

bool StopSignals::requested() {
    return stopSignal.load() != 0;
}

int StopSignals::signalNumber() {
    return stopSignal.load();
}

bool StopSignals::forgetInterrupt() {
    int interrupt = SIGINT;
    return stopSignal.compare_exchange_strong(interrupt, 0);
}

bool StopSignals::record(int number) {
    int none = 0;
    return stopSignal.compare_exchange_strong(none, number);
}

}  // namespace ecuprobe::cli
