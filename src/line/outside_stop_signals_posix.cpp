#include <algorithm>

#include "line/outside_stop_signals.h"

namespace ecuprobe::line {

const std::vector<int>& outsideStopSignals() {
    static const std::vector<int> signals = [] {
        std::vector<int> all{SIGHUP,  SIGINT,  SIGQUIT, SIGTRAP, SIGUSR1,   SIGUSR2, SIGPIPE,
                             SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS};
#ifdef SIGSTKFLT
        all.push_back(SIGSTKFLT);
#endif
#ifdef SIGIO
        all.push_back(SIGIO);
#endif
#ifdef SIGPWR
        all.push_back(SIGPWR);
#endif
#ifdef SIGRTMIN
        // Not constants: the C library keeps the lowest ones for its own threads.
        for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime) {
            all.push_back(realTime);
        }
#endif
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }();
    return signals;
}

sigset_t stopSignalsFromOutside() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : outsideStopSignals()) {
        sigaddset(&set, signal);
    }
    return set;
}

}  // namespace ecuprobe::line
