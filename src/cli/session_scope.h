#pragma once

#include "cli/command.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::cli {

// One EcuSession on the chosen port for a command: connects as the console's
// start button does and, on leaving, disconnects, which hands every control
// back to the ECU and closes the port. A port that never opened is left alone:
// there is nothing to hand back and every request would only time out.
class SessionScope {
public:
    explicit SessionScope(RunContext& context) : run(context) {}
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;
    ~SessionScope();

    // exitOk when the ECU answered; otherwise says why on stderr and returns
    // exitPortFailed or exitNoAnswer.
    int connect();
    ecu::EcuSession& session() { return ecuSession; }

private:
    RunContext& run;
    ecu::EcuSession ecuSession;
    bool opened = false;
};

// "ecuprobe-cli: cannot open PATH (COMn): REASON" on stderr.
void reportOpenFailure(RunContext& context);
// "ecuprobe-cli: the ECU does not answer on PATH (COMn)" on stderr.
void reportNoAnswer(RunContext& context);

}  // namespace ecuprobe::cli
