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
#ifndef _WIN32
#include "platform/serial_device_list.h"
#endif

namespace ecuprobe::cli {

namespace {

struct SelfTestOptions {
    int count = 64;
};

// 10 bits a byte (start, 8 data, stop) at 9600 bit/s.
constexpr std::size_t lineMsPerFrame = link::SelfTestFrames::frameLength * 10 * 1000 / 9600;

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
    if (result.perfect()) {
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
                   "эха (it does not hand back what the PC sends)\n";
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

// FTDI chips hold received bytes back for their latency timer (16 ms by default),
// which eats most of the 20 ms the tester waits between bytes.
#ifdef _WIN32
// Windows does not tell whose driver a COM port has without the setup API.
void printLatencyAdvice(std::ostream& out, const std::string& /*devicePath*/) {
    out << "FTDI adapters: set the latency timer to 1 ms in the Device Manager (the port's "
           "properties, Port Settings, Advanced)\n";
}
#else
void printLatencyAdvice(std::ostream& out, const std::string& devicePath) {
    const std::optional<platform::SerialDeviceInfo> device = platform::findSerialDevice(devicePath);
    if (!device || !device->latencyTimerMs) {
        return;
    }
    out << "FTDI latency_timer: " << *device->latencyTimerMs << " ms";
    if (*device->latencyTimerMs > 1) {
        out << ": set it to 1 ms, e.g. echo 1 | sudo tee " << device->latencyTimerPath;
    }
    out << '\n';
}
#endif

int runSelfTest(RunContext& run, const SelfTestOptions& options) {
    ecu::EcuSession session;
    link::FrameExchange& link = link::processLink();
    if (link.open(run.line.portNumber()) != link::OpenResult::opened) {
        reportOpenFailure(run, link.openFailure());
        return commandExitStatus(run, line::exitPortFailed, nullptr);
    }
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
    printLatencyAdvice(run.out, run.line.devicePath());
    return commandExitStatus(run, result.perfect() ? line::exitOk : line::exitAdapterFaulty,
                             nullptr);
}

}  // namespace

void addSelfTestCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<SelfTestOptions>();
    CLI::App* command = app.add_subcommand(
        "selftest", "Check the adapter: send every byte value and compare the echo");
    command
        ->add_option("-n,--count", options->count, "Frames to send; 9 carry every byte value once")
        ->check(line::wholeNumberIn(link::SelfTestFrames::framesForEveryValue, 100'000));
    command->footer(
        "Works with the adapter alone or with the ECU on the line: the frames are built so\n"
        "that no ECU takes them for a request. Ends with 0 when every byte came back as\n"
        "sent, 3 when the echo was wrong, short or missing.\n"
        "Examples:\n"
        "  ecuprobe-cli --port /dev/ttyUSB0 selftest\n"
        "  ecuprobe-cli --simulate --sim-fault wrongecho:every=5 selftest --count 20");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runSelfTest(run, *options); };
    });
}

}  // namespace ecuprobe::cli
