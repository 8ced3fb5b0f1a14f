#include "line/global_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <utility>

#include "line/option_checks.h"

#include "sim/fault_rule_text.h"
#include "sim/sim_types.h"

namespace ecuprobe::line {

namespace {

// What the help says of the ports and the simulator where it runs: on Windows a
// slot is the COM port of its own name, and there are no pseudo-terminals.
#ifdef _WIN32
constexpr const char* otherPort = "another port (COM12, \\\\.\\COM12)";
constexpr const char* simulatorPlace = "inside this process";
constexpr const char* traceVariable = "%ECUPROBE_TRACE%";

std::string slotHelp(std::size_t n) {
    const std::string slot = "COM" + std::to_string(n + 1);
    return "Port behind " + slot + " (default: %ECUPROBE_" + slot + "%, else the port " + slot +
           ")";
}
#else
constexpr const char* otherPort = "a device path";
constexpr const char* simulatorPlace = "on a pseudo-terminal";
constexpr const char* traceVariable = "$ECUPROBE_TRACE";

std::string slotHelp(std::size_t n) {
    return "Device path of COM" + std::to_string(n + 1) + " (default: $ECUPROBE_COM" +
           std::to_string(n + 1) + ", else /dev/ttyS" + std::to_string(n) + ")";
}
#endif

CLI::Validator portValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return parsePortChoice(text) ? "" : "expected COM1..COM4 or a device path, got " + text;
        },
        "COM1..COM4|PATH");
}

CLI::Validator scenarioValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return sim::scenarioFromName(text)
                       ? ""
                       : "unknown scenario " + text +
                             " (idle, runup, coastdown, road, stalled, coldstart)";
        },
        "SCENARIO");
}

CLI::Validator storedFaultsValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return sim::parseStoredFaults(text) ? "" : "expected CODE:STATUS,... got " + text;
        },
        "CODE:STATUS,...");
}

CLI::Validator equipmentValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return sim::parseEquipment(text) ? "" : "expected twelve hex digits, got " + text;
        },
        "HEX");
}

CLI::Validator faultRuleValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return sim::parseFaultRule(text) ? "" : "not a fault rule: " + text;
        },
        "RULE");
}

void addSimulatorOptions(CLI::App& app, GlobalOptions& options) {
    CLI::Option* simulate =
        app.add_option("--simulate", options.scenario,
                       std::string("Serve the tester from a built-in simulated ECU ") +
                           simulatorPlace +
                           ", bound to the chosen COM slot; SCENARIO: idle (default), runup, "
                           "coastdown, road, stalled, coldstart")
            ->expected(0, 1)
            ->default_str("idle")
            ->check(scenarioValidator())
            ->group("Simulator");
    app.add_option("--sim-faults", options.simStoredFaults,
                   "Fault codes the simulated ECU has stored, code decimal and status hex, "
                   "e.g. 13:20,131:60")
        ->check(storedFaultsValidator())
        ->needs(simulate)
        ->group("Simulator");
    app.add_option("--sim-equipment", options.simEquipment,
                   "The simulated ECU's equipment bytes 0..5 as twelve hex digits, e.g. "
                   "1F00C101B301 for a car without a speed sensor (default 5F00C101B301)")
        ->check(equipmentValidator())
        ->needs(simulate)
        ->group("Simulator");
    app.add_option("--sim-fault", options.simFaultRules,
                   "A line fault the simulator injects (repeatable), KIND[:OPTION,...], "
                   "e.g. silence, silence:after=5, badsum:every=3,cmd=0x61")
        ->check(faultRuleValidator())
        ->needs(simulate)
        ->group("Simulator");
    app.add_option("--sim-usb-latency", options.simUsbLatencyMs,
                   "Put the simulated ECU behind an emulated USB adapter with an FTDI chip, "
                   "whose latency timer holds every byte for the tester up to MS ms (1..255)")
        ->type_name("MS")
        ->check(CLI::Range(1, 255))
        ->needs(simulate)
        ->group("Simulator");
    simulate->each([&options](const std::string&) { options.simulate = true; });
}

}  // namespace

namespace {

// A device path has a folder in it; on Windows a COM name beyond the four slots
// (COM5, com12) is one too, which the device opens as \\.\COM12.
bool isDevicePath(std::string_view text) {
#ifdef _WIN32
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.find('\\') != std::string_view::npos ||
        (text.size() > 3 && text.size() <= 6 &&
         std::toupper(static_cast<unsigned char>(text[0])) == 'C' &&
         std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
         std::toupper(static_cast<unsigned char>(text[2])) == 'M' &&
         std::all_of(text.begin() + 3, text.end(), isDigit))) {
        return true;
    }
#endif
    return text.find('/') != std::string_view::npos;
}

}  // namespace

std::optional<PortChoice> parsePortChoice(std::string_view text) {
    if (const std::optional<int> index = platform::PortMap::comIndexOf(text)) {
        return PortChoice{*index, std::nullopt};
    }
    if (!isDevicePath(text)) {
        return std::nullopt;
    }
    return PortChoice{0, std::string(text)};
}

PortChoice GlobalOptions::portChoice() const {
    return parsePortChoice(port).value_or(PortChoice{});
}

platform::PortMap portMapFor(const GlobalOptions& options, platform::PortMap base) {
    for (std::size_t n = 0; n < options.comPaths.size(); ++n) {
        if (!options.comPaths[n].empty()) {
            base.setPath(static_cast<int>(n), options.comPaths[n]);
        }
    }
    const PortChoice choice = options.portChoice();
    if (choice.path) {
        base.setPath(choice.comIndex, *choice.path);
    }
    return base;
}

void addGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--port", options.port,
                   std::string("Serial port: COM1..COM4 (a slot of the port map, default "
                               "COM1) or ") +
                       otherPort + ", which takes the COM1 slot")
        ->check(portValidator());
    for (std::size_t n = 0; n < options.comPaths.size(); ++n) {
        const std::string name = "--com" + std::to_string(n + 1);
        app.add_option(name, options.comPaths[n], slotHelp(n))
            ->type_name("PATH")
            ->check(nonEmptyPath())
            ->group("Port map");
    }
    app.add_option("--trace", options.tracePath,
                   std::string("Append every byte on the line, in hex with times, to FILE "
                               "(default: ") +
                       traceVariable + ")")
        ->type_name("FILE")
        ->check(nonEmptyPath());
    app.add_flag("--no-echo", options.noEcho,
                 "The adapter does not hand back what the PC sends (some USB K-line cables "
                 "cancel their echo): take the answer without reading an echo first");
    addSimulatorOptions(app, options);
}

std::string helpForThisSystem(std::string text) {
#ifdef _WIN32
    const std::pair<std::string, std::string> names[] = {{"/dev/ttyUSB0", "COM5"},
                                                         {"/dev/ttyUSB1", "COM6"}};
    for (const auto& [posixName, windowsName] : names) {
        for (std::size_t at = text.find(posixName); at != std::string::npos;
             at = text.find(posixName, at)) {
            text.replace(at, posixName.size(), windowsName);
        }
    }
#endif
    return text;
}

std::string crossCheck(const GlobalOptions& options) {
    if (options.simulate && options.portChoice().path) {
        return "--port " + options.port +
               " names a device, but --simulate serves a COM slot: give --port COM1..COM4";
    }
    return {};
}

}  // namespace ecuprobe::line
