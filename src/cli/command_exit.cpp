#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/command.h"
#include "cli/stop_signals.h"
#include "line/exit_codes.h"
#include "line/port_outputs.h"

namespace ecuprobe::cli {

namespace {

// A person stopped the command, rather than the reader of stdout going away.
bool stoppedByPerson() {
#ifdef SIGPIPE
    return StopSignals::requested() && StopSignals::signalNumber() != SIGPIPE;
#else
    return StopSignals::requested();
#endif
}

// Says which output was lost; true when one was.
bool reportLostOutput(RunContext& run) {
    bool lost = false;
    errno = 0;
    if (!run.out.flush()) {
        // A stop gives up a write that the terminal or pipe held back.
        if (stoppedByPerson()) {
            run.err << "ecuprobe-cli: stopped by signal " << StopSignals::signalNumber()
                    << " while the output was held up: what was still to be written is lost\n";
        } else {
            run.err << "ecuprobe-cli: cannot write the output: "
                    << (errno != 0 ? std::strerror(errno) : "write error") << '\n';
        }
        lost = true;
    }
    if (run.line.traceBroken()) {
        if (stoppedByPerson()) {
            run.err << "ecuprobe-cli: stopped by signal " << StopSignals::signalNumber()
                    << " while the trace file " << run.line.tracePath()
                    << " was held up: its last line is lost\n";
        } else {
            run.err << "ecuprobe-cli: cannot write the trace file " << run.line.tracePath() << '\n';
        }
        lost = true;
    }
    return lost;
}

}  // namespace

int commandExitStatus(RunContext& run, int code, const ecu::HandBackOutcome* handBack) {
    const bool lost = reportLostOutput(run);
    if (handBack != nullptr && !handBack->complete()) {
        run.err << "ecuprobe-cli: " << ecu::handBackWarning(*handBack) << '\n';
        return line::exitHandBackUnconfirmed;
    }
    if (StopSignals::requested()) {
        return line::exitSignalBase + StopSignals::signalNumber();
    }
    return lost ? line::exitIoError : code;
}

int refuseOutputOnPort(RunContext& run, std::string_view what, const std::string& path) {
    const std::string problem = line::outputOnPortProblem(what, path, run.line.portMap());
    if (problem.empty()) {
        return line::exitOk;
    }
    run.err << "ecuprobe-cli: " << problem << '\n';
    return line::exitUsage;
}

}  // namespace ecuprobe::cli
