#include "sim/sim_options.h"

#include <CLI/CLI.hpp>

#include "sim/command_console.h"
#include "sim/fault_rule_text.h"

namespace ecuprobe::sim {

namespace {

// Refuses a value that `parse` does not take, saying what was expected.
template <typename Parse>
CLI::Validator parsedBy(Parse parse, const std::string& expected) {
    return CLI::Validator(
        [parse, expected](std::string& text) -> std::string {
            return parse(text) ? "" : "expected " + expected + ", got '" + text + "'";
        },
        "");
}

bool wholeNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

void addSimOptions(CLI::App& app, SimSettings& s) {
    app.add_option("--type", s.type, "ECU type byte: 9 MIKAS 5.4, 10 MIKAS 7.1")
        ->check(CLI::Range(0, 255));
    app.add_option("--scenario", s.scenario, "idle, runup, coastdown, road, stalled, coldstart")
        ->check(parsedBy([](const std::string& t) { return scenarioFromName(t).has_value(); },
                         "idle, runup, coastdown, road, stalled or coldstart"));
    app.add_option("--fault", s.faultRules,
                   "fault rule KIND[:once|every=N|after=N|p=P|cmd=0xNN|ms=N,...]; kinds: silence "
                   "badsum wrongecho noecho shortecho cut garbage noise refuse noident nospeed "
                   "vanish")
        ->check(parsedBy([](const std::string& t) { return parseFaultRule(t).has_value(); },
                         "a fault rule"));
    app.add_option("--stored-faults", s.storedFaults, "stored fault codes, e.g. 13:20,131:60")
        ->check(parsedBy([](const std::string& t) { return parseStoredFaults(t).has_value(); },
                         "CODE:STATUS,..."));
    app.add_option("--equipment", s.equipment,
                   "equipment bytes 0..5 as twelve hex digits (default 5F00C101B301)")
        ->check(parsedBy([](const std::string& t) { return parseEquipment(t).has_value(); },
                         "twelve hex digits"));
    app.add_flag("--pacing", s.pacing, "pace every byte at 9600 bit/s");
    app.add_option("--delay", s.delayMs, "answer delay in ms")
        ->check(parsedBy(wholeNumber, "a whole number of milliseconds"));
    app.add_option("--seed", s.seed, "seed of the random faults and noise")
        ->check(parsedBy(wholeNumber, "a whole number"));
    app.add_option("--trace", s.tracePath, "hex trace of every byte to this file");
    app.add_option("--link", s.linkPath,
                   "make a symlink to the slave path; an existing PATH other than a dangling "
                   "link or a link to a pseudo-terminal is left as it is and ecu-sim ends");
    CLI::Option* usb =
        app.add_option("--usb-latency", s.usbLatencyMs,
                       "emulate a USB adapter with an FTDI chip: hold every byte for the tester "
                       "and pass them on every MS ms (its latency timer) or once 62 wait")
            ->type_name("MS")
            ->check(CLI::Range(1, 255));
    CLI::Option* fakeSysfs =
        app.add_option("--fake-sysfs", s.fakeSysfsPath,
                       "lay out DIR/sys and DIR/dev as for an FTDI cable at ttyUSB0, its "
                       "latency_timer at the --usb-latency MS and followed when written, "
                       "DIR/dev/ttyUSB0 leading to the pseudo-terminal; run the tester with "
                       "ECUPROBE_SYSFS_ROOT=DIR/sys ECUPROBE_DEV_ROOT=DIR/dev")
            ->type_name("DIR")
            ->needs(usb)
            ->excludes("--link");
    app.add_flag("--latency-read-only", s.latencyReadOnly,
                 "make the fake latency_timer read-only, as without the udev rule")
        ->needs(fakeSysfs);
    app.add_option("--replay", s.replayPath,
                   "serve the answers recorded in a wire trace of a real session (the tester's "
                   "--trace file) instead of the simulated ECU")
        ->type_name("TRACE")
        ->check(CLI::ExistingFile)
        ->excludes("--type", "--scenario", "--fault", "--stored-faults", "--delay", "--seed");
    app.footer(std::string(commandHelp()) +
               "Exit status: 0 quit or stopped, 1 the pseudo-terminal, the link or the fake sysfs "
               "cannot be made, "
               "2 the trace to replay cannot be used, 64 a bad option.");
}

SimulatedEcuOptions ecuOptions(const SimSettings& s) {
    SimulatedEcuOptions options;
    options.equipment = s.equipment.empty()
                            ? defaultEquipment
                            : parseEquipment(s.equipment).value_or(defaultEquipment);
    options.typeByte = static_cast<std::uint8_t>(s.type);
    options.scenario = scenarioFromName(s.scenario).value_or(Scenario::idle);
    options.faults = parseStoredFaults(s.storedFaults).value_or(options.faults);
    options.answerDelayMs = s.delayMs;
    options.seed = s.seed;
    return options;
}

}  // namespace ecuprobe::sim
