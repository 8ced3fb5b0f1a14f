#include <cerrno>
#include <cstring>

#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/stop_signals.h"

namespace ecuprobe::cli {

namespace {

// Says which output was lost; true when one was.
bool reportLostOutput(RunContext& run) {
    bool lost = false;
    errno = 0;
    if (!run.out.flush()) {
        run.err << "ecuprobe-cli: cannot write the output: "
                << (errno != 0 ? std::strerror(errno) : "write error") << '\n';
        lost = true;
    }
    if (run.line.traceBroken()) {
        run.err << "ecuprobe-cli: cannot write the trace file " << run.line.tracePath() << '\n';
        lost = true;
    }
    return lost;
}

}  // namespace

int commandExitStatus(RunContext& run, int code, const ecu::HandBackOutcome* handBack) {
    const bool lost = reportLostOutput(run);
    if (handBack != nullptr && !handBack->complete()) {
        run.err << "ecuprobe-cli: " << ecu::handBackWarning(*handBack) << '\n';
        return exitHandBackUnconfirmed;
    }
    if (StopSignals::requested()) {
        return exitSignalBase + StopSignals::signalNumber();
    }
    return lost ? exitIoError : code;
}

}  // namespace ecuprobe::cli
