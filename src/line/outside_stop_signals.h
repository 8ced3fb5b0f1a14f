#pragma once

#include <array>
#include <csignal>

namespace ecuprobe::line {

// The signals from outside that ask either tester to stop: Ctrl-C and SIGQUIT
// from a person, SIGHUP from a terminal that closed, SIGTERM, SIGUSR1, SIGUSR2
// and SIGALRM from the system or a script. Each is handled: its default would
// end the process without the hand-back.
inline constexpr std::array<int, 7> outsideStopSignals{SIGINT,  SIGTERM, SIGHUP, SIGQUIT,
                                                       SIGUSR1, SIGUSR2, SIGALRM};

// The same as a set: a thread of the tester's own blocks them, so that they
// interrupt the main thread's waits.
inline sigset_t stopSignalsFromOutside() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : outsideStopSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

}  // namespace ecuprobe::line
