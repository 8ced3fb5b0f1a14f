#include "cli/session_scope.h"

#include "cli/device_check.h"
#include "cli/exit_codes.h"
#include "cli/stop_signals.h"

namespace ecuprobe::cli {

namespace {

std::string portLabel(const LineSetup& line) {
    return line.devicePath() + " (COM" + std::to_string(line.comIndex() + 1) + ")";
}

}  // namespace

SessionScope::~SessionScope() {
    if (opened) {
        ecuSession.disconnect();
    }
}

int SessionScope::connect() {
    ecu::chosenPortNumber = run.line.portNumber();
    if (ecuSession.connect() == 0) {
        reportOpenFailure(run);
        return exitPortFailed;
    }
    opened = true;
    if (ecuSession.connected == 0) {
        reportNoAnswer(run);
        return exitNoAnswer;
    }
    return exitOk;
}

void reportOpenFailure(RunContext& context) {
    context.err << "ecuprobe-cli: cannot open " << portLabel(context.line) << ": "
                << describeOpenFailure(context.line.devicePath()) << '\n';
}

void reportNoAnswer(RunContext& context) {
    context.err << "ecuprobe-cli: the ECU does not answer on " << portLabel(context.line) << '\n';
}

int exitStatusAfter(int code) {
    return StopSignals::requested() ? exitSignalBase + StopSignals::signalNumber() : code;
}

}  // namespace ecuprobe::cli
