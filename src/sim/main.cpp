// ecu-sim: the simulated ECU and its echoing adapter on a pseudo-terminal.
//
// Prints "READY <slave path>" as its first line once the line is up, then serves
// until SIGTERM, SIGINT or the command "quit" on stdin. With --replay it serves
// the answers of a recorded session instead (see TraceReplay); with --usb-latency
// behind an emulated FTDI USB adapter (see UsbAdapterLine). Notices (line settings
// that are not raw 9600 8N1, the device vanishing and coming back) go to stderr.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/process_files.h"
#include "platform/wire_trace.h"
#include "project_version.h"
#include "sim/command_console.h"
#include "sim/fake_usb_sysfs.h"
#include "sim/fault_rule_text.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"
#include "sim/simulated_ecu.h"
#include "sim/trace_replay.h"
#include "sim/usb_adapter_line.h"

namespace {

using namespace ecuprobe;

std::atomic<bool> stopSignal{false};

extern "C" void onSignal(int) {
    stopSignal = true;
}

using Commands = std::function<sim::CommandResult(std::string_view)>;

// Reads console commands until quit, a signal, or forever once stdin has ended.
void console(const Commands& commands) {
    bool stdinOpen = true;
    std::string line;
    while (!stopSignal) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (!stdinOpen || ::poll(&p, 1, 100) <= 0) {
            ::poll(nullptr, 0, 100);
            continue;
        }
        if (!std::getline(std::cin, line)) {
            stdinOpen = false;
            continue;
        }
        const sim::CommandResult result = commands(line);
        if (!result.reply.empty()) {
            std::cout << result.reply << std::endl;
        }
        if (result.quit) {
            return;
        }
    }
}

void notice(const std::string& text) {
    std::cerr << "ecu-sim: " << text << std::endl;
}

// The line as the tester meets it: behind an emulated USB adapter when asked,
// which then paces the bytes itself, before it holds them.
struct AdapterFront {
    platform::RealClock clock;
    sim::FakeUsbSysfs sysfs;
    std::unique_ptr<sim::UsbAdapterLine> usb;
    sim::PtyServer::Options options;

    bool build(const sim::SimSettings& s, sim::ServedLine& line) {
        options = {s.pacing, s.linkPath};
        if (s.usbLatencyMs == 0) {
            return true;
        }
        sim::UsbAdapterLine::TimerSetting setting;
        if (!s.fakeSysfsPath.empty()) {
            if (!sysfs.create(s.fakeSysfsPath, s.usbLatencyMs, s.latencyReadOnly)) {
                std::cerr << "ecu-sim: " << sysfs.error() << '\n';
                return false;
            }
            options.linkPath = sysfs.devicePath();
            setting = [this] { return sysfs.latencyMs(); };
        }
        usb = std::make_unique<sim::UsbAdapterLine>(line, clock, s.usbLatencyMs, s.pacing,
                                                    std::move(setting));
        options.pacing = false;
        return true;
    }
    sim::ServedLine& served(sim::ServedLine& line) const {
        return usb ? static_cast<sim::ServedLine&>(*usb) : line;
    }
};

// Serves the line on a pseudo-terminal until quit or a signal.
int serve(sim::ServedLine& line, const sim::SimSettings& s, const Commands& commands) {
    AdapterFront front;
    if (!front.build(s, line)) {
        return 1;
    }
    sim::PtyServer server(front.served(line), front.options, notice);
    if (!server.open()) {
        std::cerr << "ecu-sim: " << server.error() << '\n';
        return 1;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::cout << "READY " << server.slavePath() << std::endl;
    server.start();
    console(commands);
    server.stop();
    return 0;
}

int simulate(const sim::SimSettings& s) {
    platform::RealClock clock;
    sim::SimulatedEcu ecu(clock, sim::ecuOptions(s));
    for (const std::string& text : s.faultRules) {
        if (const auto rule = sim::parseFaultRule(text)) {
            ecu.addFault(*rule);
        }
    }
    std::unique_ptr<platform::WireTrace> trace;
    if (!s.tracePath.empty()) {
        trace = platform::WireTrace::toFile(s.tracePath, clock);
        ecu.setTrace(trace.get());
    }
    const int status =
        serve(ecu, s, [&ecu](std::string_view line) { return sim::runCommand(ecu, line); });
    ecu.setTrace(nullptr);
    return status;
}

// Each bad line of the trace, with its number; the first few only.
void reportProblems(const std::string& path, const std::vector<platform::TraceProblem>& problems) {
    constexpr std::size_t shown = 20;
    for (std::size_t i = 0; i < problems.size() && i < shown; ++i) {
        std::cerr << "ecu-sim: " << path << ':' << problems[i].lineNumber << ": "
                  << problems[i].message << " (line skipped)\n";
    }
    if (problems.size() > shown) {
        std::cerr << "ecu-sim: " << path << ": " << problems.size() - shown
                  << " more bad lines skipped\n";
    }
}

sim::CommandResult replayCommand(std::string_view line) {
    const std::string_view verb = line.substr(0, line.find(' '));
    if (verb == "quit" || verb == "exit") {
        return {"bye", true};
    }
    return {line.empty() ? "" : "replaying a trace: the only command is quit"};
}

int replay(const sim::SimSettings& s) {
    std::ifstream in(s.replayPath);
    if (!in) {
        std::cerr << "ecu-sim: cannot read " << s.replayPath << '\n';
        return 2;
    }
    sim::TraceRecording recording = sim::recordTrace(in);
    reportProblems(s.replayPath, recording.problems);
    if (!recording.stopMessage.empty()) {
        std::cerr << "ecu-sim: " << s.replayPath << ": " << recording.stopMessage << '\n';
    }
    if (recording.notATrace) {
        return 2;
    }
    std::vector<sim::RecordedExchange> exchanges = std::move(recording.exchanges);
    if (exchanges.empty()) {
        std::cerr << "ecu-sim: " << s.replayPath << ": no request of the tester found\n";
        return 2;
    }
    platform::RealClock clock;
    sim::TraceReplay line(clock, std::move(exchanges), notice);
    std::cerr << "ecu-sim: replaying " << line.exchangeCount() << " exchanges of "
              << line.requestCount() << " different requests from " << s.replayPath << '\n';
    return serve(line, s, replayCommand);
}

}  // namespace

int main(int argc, char** argv) {
    if (!platform::reserveStandardDescriptors()) {
        return 1;
    }
    sim::SimSettings s;
    CLI::App app{"Simulated MIKAS 5.4 / 7.1 ECU with echoing K-line adapter on a pseudo-terminal",
                 "ecu-sim"};
    app.set_version_flag("--version", std::string("ecu-sim ") + ecuprobe::projectVersion);
    sim::addSimOptions(app, s);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : sim::usageStatus;
    }
    return s.replayPath.empty() ? simulate(s) : replay(s);
}
