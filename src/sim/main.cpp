// ecu-sim: the simulated ECU and its echoing adapter on a pseudo-terminal.
//
// Prints "READY <slave path>" as its first line once the line is up, then serves
// until SIGTERM, SIGINT or the command "quit" on stdin. With --replay it serves
// the answers of a recorded session instead (see TraceReplay). Notices (line settings
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
#include "platform/wire_trace.h"
#include "platform/wire_trace_reader.h"
#include "project_version.h"
#include "sim/command_console.h"
#include "sim/fault_rule_text.h"
#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"
#include "sim/trace_replay.h"

namespace {

using namespace ecuprobe;

std::atomic<bool> stopSignal{false};

extern "C" void onSignal(int) {
    stopSignal = true;
}

struct Settings {
    int type = sim::mikas54Type;
    std::string scenario = "idle";
    std::vector<std::string> faultRules;
    std::string storedFaults;
    std::string equipment;
    bool pacing = false;
    std::uint32_t delayMs = 0;
    std::uint64_t seed = 1;
    std::string tracePath;
    std::string linkPath;
    std::string replayPath;
};

bool buildOptions(const Settings& s, sim::SimulatedEcuOptions& out, std::string& error) {
    const auto scenario = sim::scenarioFromName(s.scenario);
    const auto stored = sim::parseStoredFaults(s.storedFaults);
    const auto equipment = s.equipment.empty() ? std::optional(sim::defaultEquipment)
                                               : sim::parseEquipment(s.equipment);
    if (!scenario || !stored || !equipment) {
        error = !scenario ? "unknown scenario " + s.scenario
                : !stored ? "bad stored faults"
                          : "bad equipment bytes " + s.equipment;
        return false;
    }
    out.equipment = *equipment;
    out.typeByte = static_cast<std::uint8_t>(s.type);
    out.scenario = *scenario;
    out.faults = *stored;
    out.answerDelayMs = s.delayMs;
    out.seed = s.seed;
    return true;
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

void addOptions(CLI::App& app, Settings& s) {
    app.add_option("--type", s.type, "ECU type byte: 9 MIKAS 5.4, 10 MIKAS 7.1")
        ->check(CLI::Range(0, 255));
    app.add_option("--scenario", s.scenario, "idle, runup, coastdown, road, stalled, coldstart");
    app.add_option("--fault", s.faultRules,
                   "fault rule KIND[:once|every=N|after=N|p=P|cmd=0xNN|ms=N,...]; kinds: silence "
                   "badsum wrongecho noecho shortecho cut garbage noise refuse noident nospeed "
                   "vanish");
    app.add_option("--stored-faults", s.storedFaults, "stored fault codes, e.g. 13:20,131:60");
    app.add_option("--equipment", s.equipment,
                   "equipment bytes 0..5 as twelve hex digits (default 5F00C101B301)");
    app.add_flag("--pacing", s.pacing, "pace every byte at 9600 bit/s");
    app.add_option("--delay", s.delayMs, "answer delay in ms");
    app.add_option("--seed", s.seed, "seed of the random faults and noise");
    app.add_option("--trace", s.tracePath, "hex trace of every byte to this file");
    app.add_option("--link", s.linkPath, "make a symlink to the slave path");
    app.add_option("--replay", s.replayPath,
                   "serve the answers recorded in a wire trace of a real session (the tester's "
                   "--trace file) instead of the simulated ECU")
        ->type_name("TRACE")
        ->check(CLI::ExistingFile)
        ->excludes("--type", "--scenario", "--fault", "--stored-faults", "--delay", "--seed");
    app.footer(std::string(sim::commandHelp()));
}

// Serves the line on a pseudo-terminal until quit or a signal.
int serve(sim::ServedLine& line, const Settings& s, const Commands& commands) {
    sim::PtyServer server(line, {s.pacing, s.linkPath}, notice);
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

int simulate(const Settings& s) {
    sim::SimulatedEcuOptions options;
    std::string error;
    if (!buildOptions(s, options, error)) {
        std::cerr << "ecu-sim: " << error << '\n';
        return 2;
    }
    platform::RealClock clock;
    sim::SimulatedEcu ecu(clock, options);
    for (const std::string& text : s.faultRules) {
        const auto rule = sim::parseFaultRule(text);
        if (!rule) {
            std::cerr << "ecu-sim: bad fault rule " << text << '\n';
            return 2;
        }
        ecu.addFault(*rule);
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
void reportProblems(const std::string& path, const platform::ParsedTrace& trace) {
    constexpr std::size_t shown = 20;
    for (std::size_t i = 0; i < trace.problems.size() && i < shown; ++i) {
        std::cerr << "ecu-sim: " << path << ':' << trace.problems[i].lineNumber << ": "
                  << trace.problems[i].message << " (line skipped)\n";
    }
    if (trace.problems.size() > shown) {
        std::cerr << "ecu-sim: " << path << ": " << trace.problems.size() - shown
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

int replay(const Settings& s) {
    std::ifstream in(s.replayPath);
    if (!in) {
        std::cerr << "ecu-sim: cannot read " << s.replayPath << '\n';
        return 2;
    }
    const platform::ParsedTrace trace = platform::readWireTrace(in);
    reportProblems(s.replayPath, trace);
    std::vector<sim::RecordedExchange> exchanges = sim::recordedExchanges(trace.lines);
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
    Settings s;
    CLI::App app{"Simulated MIKAS 5.4 / 7.1 ECU with echoing K-line adapter on a pseudo-terminal",
                 "ecu-sim"};
    app.set_version_flag("--version", std::string("ecu-sim ") + ecuprobe::projectVersion);
    addOptions(app, s);
    CLI11_PARSE(app, argc, argv);
    return s.replayPath.empty() ? simulate(s) : replay(s);
}
