#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/command.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "ecu/ecu_session.h"
#include "line/exit_codes.h"
#include "line/option_checks.h"
#include "link/adapter_check.h"

namespace ecuprobe::cli {

namespace {

struct SelfTestOptions {
    int count = 64;
};

// 10 bits a byte (start, 8 data, stop) at 9600 bit/s.
constexpr std::size_t lineMsPerFrame = link::SelfTestFrames::frameLength * 10 * 1000 / 9600;
// More than this on top of the line's own time is an adapter that holds bytes back.
constexpr std::size_t echoSlackMs = 5;

// An echo that comes whole but later than the line can explain: the bytes were
// held back on the way (a USB adapter's latency timer).
bool echoHeldBack(const link::SelfTestResult& result) {
    return !result.echoMs.empty() && result.medianEchoMs() > lineMsPerFrame + echoSlackMs;
}

std::string hexList(const std::bitset<256>& values) {
    std::string text;
    for (std::size_t v = 0; v < values.size(); ++v) {
        if (values.test(v)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned>(v));
            text += hex;
        }
    }
    return text;
}

void printEcho(std::ostream& out, const link::SelfTestResult& result) {
    if (result.perfect() && echoHeldBack(result)) {
        out << "Echo: every byte came back as sent, but late\n";
    } else if (result.perfect()) {
        out << "Echo: perfect, every byte came back as sent\n";
    } else if (result.framesWithoutEcho == result.framesSent) {
        out << "Echo: none at all: адаптер не отвечает эхом (unpowered, or not an echoing K-line "
               "adapter)\n";
    } else {
        out << "Echo errors: " << result.echoErrors() << " of " << result.framesSent << " frames ("
            << result.framesWithoutEcho << " without echo, " << result.framesEchoedShort
            << " short, " << result.framesEchoedLate << " late, " << result.framesEchoedChanged
            << " changed, " << result.framesReadFailed << " not readable)\n";
    }
    // A few values say what the line does to them (XON/XOFF eats 0x11 and 0x13);
    // most of them only that the echo is broken.
    constexpr std::size_t listedValues = 24;
    if (result.badValues.count() > listedValues) {
        out << "Bytes not echoed as sent: " << result.badValues.count() << " of the 256 values\n";
    } else if (result.badValues.any()) {
        out << "Bytes not echoed as sent:" << hexList(result.badValues) << '\n';
    }
    if (result.deviceGone) {
        out << "The adapter went away during the check (unplugged?)\n";
    }
    if (!result.echoMs.empty()) {
        out << "Echo time: median " << result.medianEchoMs() << " ms, worst "
            << result.worstEchoMs() << " ms (a frame of " << link::SelfTestFrames::frameLength
            << " bytes takes " << lineMsPerFrame << " ms on the line at 9600 bit/s)\n";
    }
}

// The type request goes out as any session's would, so its silence is judged as theirs is.
void printEcu(std::ostream& out, const ecu::EcuSession& session) {
    if (session.ecuTypeAnswered()) {
        out << "ECU: answered the type request (" << session.identity().ecuName << ")\n";
        return;
    }
    switch (session.silenceCause()) {
        case ecu::SilenceCause::adapterWithoutEcho:
            out << "ECU: its answer to the type request came in place of the echo: адаптер без "
                   "эха (it does not hand back what the PC sends; run the other commands with "
                   "--no-echo)\n";
            return;
        case ecu::SilenceCause::lineNoise:
            out << "ECU: stray bytes instead of an answer to the type request: помехи на линии "
                   "(check the cable and the ground)\n";
            return;
        case ecu::SilenceCause::ecuSilent:
        case ecu::SilenceCause::noEcho:
        case ecu::SilenceCause::deviceGone:
            break;
    }
    out << "ECU: no answer to the type request (none on the line, or the ignition is off)\n";
}

// What the adapter's latency timer stands at, when it has one the tester can see.
void printLatency(std::ostream& out, const link::AdapterLatency& latency) {
    if (!latency.timerMs) {
        return;
    }
    out << "Adapter latency timer: " << *latency.timerMs << " ms";
    if (latency.lowered()) {
        out << " (lowered from " << *latency.foundMs << " ms)";
    }
    out << '\n';
}

void printHeldBack(std::ostream& out, const link::SelfTestResult& result) {
    out << "Echo late: median " << result.medianEchoMs() << " ms, "
        << result.medianEchoMs() - lineMsPerFrame << " ms more than the line takes: the "
        << "adapter holds received bytes back (a USB adapter's latency timer; set it to 1 ms)\n";
}

int runSelfTest(RunContext& run, const SelfTestOptions& options) {
    ecu::EcuSession session;
    link::FrameExchange& link = link::processLink();
    // This check is of the echo itself, so --no-echo does not turn it off.
    link.setNoEcho(false);
    if (link.open(run.line.portNumber()) != link::OpenResult::opened) {
        reportOpenFailure(run, link.openFailure());
        return commandExitStatus(run, line::exitPortFailed, nullptr);
    }
    tellSlowAdapter(run);
    run.out << "Adapter self-test on " << run.line.devicePath() << ": " << options.count
            << " frames of " << link::SelfTestFrames::frameLength
            << " bytes, every byte value 0x00..0xFF on the wire\n";
    const link::SelfTestResult result =
        runAdapterSelfTest(link, options.count, [] { return !StopSignals::requested(); });
    if (!result.deviceGone) {
        session.identifyEcuType();
    }
    link.close();
    printEcho(run.out, result);
    printEcu(run.out, session);
    printLatency(run.out, link.adapterLatency());
    const bool heldBack = echoHeldBack(result);
    if (heldBack) {
        printHeldBack(run.out, result);
    }
    const bool sound = result.perfect() && !heldBack;
    return commandExitStatus(run, sound ? line::exitOk : line::exitAdapterFaulty, nullptr);
}

}  // namespace

void addSelfTestCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<SelfTestOptions>();
    CLI::App* command = app.add_subcommand(
        "selftest", "Check the adapter: send every byte value and compare the echo");
    command
        ->add_option("-n,--count", options->count, "Frames to send; 9 carry every byte value once")
        ->check(line::wholeNumberIn(link::SelfTestFrames::framesForEveryValue, 100'000));
    command->footer(line::helpForThisSystem(
        "Works with the adapter alone or with the ECU on the line: the frames are built so\n"
        "that no ECU takes them for a request. Ends with 0 when every byte came back as\n"
        "sent, 3 when the echo was wrong, short, missing or held back by the adapter\n"
        "(median echo more than 5 ms beyond the line's own time).\n"
        "Examples:\n"
        "  ecuprobe-cli --port /dev/ttyUSB0 selftest\n"
        "  ecuprobe-cli --simulate --sim-fault wrongecho:every=5 selftest --count 20"));
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runSelfTest(run, *options); };
    });
}

}  // namespace ecuprobe::cli
