#pragma once

#include "cli/command.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::cli {

// One EcuSession on the chosen port for a command: connects as the console's
// start button does and, at the end, disconnects, which hands every control
// back to the ECU and closes the port. A port that never opened is left alone:
// there is nothing to hand back and every request would only time out.
class SessionScope {
public:
    // A connection that did not identify the ECU is tried again this often in all.
    static constexpr int connectAttempts = 3;

    // The session withholds every write but the hand-back once a stop signal came.
    explicit SessionScope(RunContext& context);
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;
    // Hands back and closes, as finish() does, when the command left without it.
    ~SessionScope();

    // line::exitOk once the ECU answered its type request; otherwise says why on stderr
    // and returns line::exitPortFailed, line::exitNoAnswer or, when a stop signal came while
    // connecting, 128 + its number: the command must not begin its work then.
    int connect();
    // Hands every control back, closes the port and returns the command's exit
    // status (see commandExitStatus).
    int finish(int code);
    ecu::EcuSession& session() { return ecuSession; }

private:
    void disconnect();
    int stoppedWhileConnecting();
    // Says on stderr, once, how handing back what an earlier run left held went,
    // and any trouble keeping that record.
    void tellNews();

    RunContext& run;
    ecu::EcuSession ecuSession;
    bool opened = false;
    bool answered = false;
};

// Says on stderr, once for the port's device, what an adapter that holds bytes
// back costs and how to lower its latency timer.
void tellSlowAdapter(RunContext& context);
// "ecuprobe-cli: cannot open PATH (COMn): REASON" on stderr, the reason as the device named it.
void reportOpenFailure(RunContext& context, const platform::OpenFailure& failure);
// Why the ECU does not answer on PATH (COMn), on stderr: the ECU is silent, the
// adapter gives no echo or cancels it, the line is noisy, or the port was hung up.
void reportNoAnswer(RunContext& context, const ecu::EcuSession& session);

}  // namespace ecuprobe::cli
