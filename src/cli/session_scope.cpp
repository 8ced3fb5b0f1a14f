#include "cli/session_scope.h"

#include "cli/stop_signals.h"
#include "console/latency_advice.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

std::string portLabel(const line::ChosenLine& line) {
    return line.devicePath() + " (COM" + std::to_string(line.comIndex() + 1) + ")";
}

}  // namespace

SessionScope::SessionScope(RunContext& context) : run(context) {
    ecuSession.stopWhen(StopSignals::requested);
}

SessionScope::~SessionScope() {
    disconnect();
}

void SessionScope::disconnect() {
    if (opened) {
        ecuSession.disconnect();
        opened = false;
    }
}

int SessionScope::connect() {
    ecu::chosenPortNumber = run.line.portNumber();
    for (int attempt = 0; attempt < connectAttempts && !StopSignals::requested(); ++attempt) {
        if (ecuSession.connect() == ecu::ServiceResult::failed) {
            reportOpenFailure(run, ecuSession.openFailure());
            return line::exitPortFailed;
        }
        opened = true;
        tellNews();
        // The data-set selection can answer for an ECU that ignored its type
        // request; an ECU of unknown kind is no connection a command can use.
        if (ecuSession.connected() != 0 && ecuSession.ecuTypeAnswered()) {
            answered = true;
            return StopSignals::requested() ? stoppedWhileConnecting() : line::exitOk;
        }
    }
    reportNoAnswer(run, ecuSession);
    return line::exitNoAnswer;
}

int SessionScope::stoppedWhileConnecting() {
    const int signal = StopSignals::signalNumber();
    run.err << "ecuprobe-cli: stopped by signal " << signal
            << " before the command began: nothing sent but the hand-back\n";
    return line::exitSignalBase + signal;
}

int SessionScope::finish(int code) {
    const bool handedBack = opened;
    disconnect();
    tellNews();
    const ecu::HandBackOutcome* handBack =
        handedBack && answered ? &ecuSession.lastHandBack() : nullptr;
    return commandExitStatus(run, code, handBack);
}

void SessionScope::tellNews() {
    for (const std::string& news : ecuSession.takeHandBackNews()) {
        run.err << "ecuprobe-cli: " << news << '\n';
    }
    tellSlowAdapter(run);
}

void tellSlowAdapter(RunContext& context) {
    if (const auto slow = link::processLink().takeLatencyNotice()) {
        context.err << "ecuprobe-cli: " << console::latencyAdvice(*slow) << '\n';
    }
}

void reportOpenFailure(RunContext& context, const platform::OpenFailure& failure) {
    context.err << "ecuprobe-cli: cannot open " << portLabel(context.line) << ": "
                << platform::openFailureText(failure) << '\n';
}

void reportNoAnswer(RunContext& context, const ecu::EcuSession& session) {
    const std::string port = portLabel(context.line);
    switch (session.silenceCause()) {
        case ecu::SilenceCause::deviceGone:
            context.err << "ecuprobe-cli: адаптер отключён: " << port
                        << ": the port was hung up (unplugged?)\n";
            break;
        case ecu::SilenceCause::noEcho:
            context.err << "ecuprobe-cli: адаптер не отвечает эхом on " << port
                        << ": the adapter is unpowered or is not an echoing K-line adapter\n";
            break;
        case ecu::SilenceCause::adapterWithoutEcho:
            context.err << "ecuprobe-cli: адаптер без эха on " << port
                        << ": the ECU's answer came where the echo should be; this adapter "
                           "does not hand back what the PC sends: run with --no-echo\n";
            break;
        case ecu::SilenceCause::lineNoise:
            context.err << "ecuprobe-cli: помехи на линии on " << port
                        << ": stray or changed bytes instead of the echo or the answer "
                           "(check the cable and the ground)\n";
            break;
        case ecu::SilenceCause::ecuSilent:
            context.err << "ecuprobe-cli: the ECU does not answer on " << port
                        << (context.options.noEcho
                                ? " (--no-echo: no echo is looked for; is "
                                  "the ignition on?)\n"
                                : " (the adapter echoes; is the ignition on?)\n");
            break;
    }
    if (const std::string owed = ecu::owedWhileSilent(session.owedControls()); !owed.empty()) {
        context.err << "ecuprobe-cli: " << owed << '\n';
    }
}

}  // namespace ecuprobe::cli
