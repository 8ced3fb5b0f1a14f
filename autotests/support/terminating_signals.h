#pragma once

#include <csignal>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace ecuprobe::testing_support {

// Every signal whose default action ends the process and that a handler can
// take, but for the program's own faults: counted from what the system defines,
// not from the tester's list, so that a signal the tester leaves out shows.
inline std::vector<int> terminatingSignals() {
    const std::set<int> notEnding{SIGKILL,  SIGSTOP, SIGCHLD, SIGCONT, SIGURG,
                                  SIGWINCH, SIGTSTP, SIGTTIN, SIGTTOU};
    const std::set<int> ownFaults{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
    std::vector<int> ending;
    for (int signal = 1; signal <= SIGRTMAX; ++signal) {
        // Between the classic and the real-time ones: the C library's own.
        const bool libraryOwn = signal >= 32 && signal < SIGRTMIN;
        if (!libraryOwn && !notEnding.contains(signal) && !ownFaults.contains(signal)) {
            ending.push_back(signal);
        }
    }
    return ending;
}

// "XFSZ", "RTMIN+3": a name for a test row.
inline std::string signalName(int signal) {
    if (signal >= SIGRTMIN) {
        return "RTMIN_" + std::to_string(signal - SIGRTMIN);
    }
    const char* name = sigabbrev_np(signal);
    return name != nullptr ? name : std::to_string(signal);
}

}  // namespace ecuprobe::testing_support
