#include "sim/command_console.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

#include "sim/fault_rule_text.h"

namespace ecuprobe::sim {

namespace {

constexpr std::string_view help =
    "commands:\n"
    "  throttle PERCENT     open the throttle (0..100)\n"
    "  gear N               engage gear N (0 = neutral, 1..5)\n"
    "  brake on|off         press or release the brake\n"
    "  scenario NAME        idle runup coastdown road stalled coldstart\n"
    "  go                   start the scenario's manoeuvre now\n"
    "  type N               ECU type byte (9 MIKAS 5.4, 10 MIKAS 7.1)\n"
    "  equipment HEX        equipment bytes 0..5 as twelve hex digits, e.g. 5F00C101B301\n"
    "  restart              power the ECU off and on: overrides go, stored values stay\n"
    "  fault add SPEC       e.g. silence:after=5, badsum:every=3,cmd=0x61, vanish:once,ms=3000\n"
    "  fault clear          remove every fault rule\n"
    "  silent on|off        the ECU stops or resumes answering\n"
    "  status               engine speed, vehicle speed, coolant, throttle, gear\n"
    "  quit                 stop serving\n";

std::vector<std::string> words(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

// A whole number and nothing else. An out-parameter rather than an optional: GCC's
// optimiser takes an optional read behind its own check for a maybe-uninitialised one.
bool integer(const std::string& text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// A command that takes one whole number in a range; a number outside it is
// refused, never cut to the nearest end, so that the person knows what holds.
struct NumberCommand {
    std::string_view verb;
    int min;
    int max;
    void (*apply)(SimulatedEcu& ecu, int value);
};

constexpr NumberCommand numberCommands[] = {
    {"throttle", 0, 100, [](SimulatedEcu& ecu, int n) { ecu.setThrottle(n); }},
    {"gear", 0, 5, [](SimulatedEcu& ecu, int n) { ecu.setGear(n); }},
    {"type", 0, 255,
     [](SimulatedEcu& ecu, int n) { ecu.setTypeByte(static_cast<std::uint8_t>(n)); }},
};

// The reply to a number command, or nullopt when the line is none.
std::optional<std::string> numberCommand(SimulatedEcu& ecu, const std::vector<std::string>& w) {
    for (const NumberCommand& command : numberCommands) {
        if (w[0] != command.verb) {
            continue;
        }
        int n = 0;
        if (w.size() != 2 || !integer(w[1], n) || n < command.min || n > command.max) {
            return "refused: " + std::string(command.verb) + " takes a whole number from " +
                   std::to_string(command.min) + " to " + std::to_string(command.max);
        }
        command.apply(ecu, n);
        return "ok";
    }
    return std::nullopt;
}

// 1 for "on", 0 for "off", -1 for anything else.
int onOff(const std::string& text) {
    if (text == "on") {
        return 1;
    }
    return text == "off" ? 0 : -1;
}

std::string status(const SimulatedEcu& ecu) {
    const EngineTruth t = ecu.truth();
    char line[160];
    std::snprintf(line, sizeof line,
                  "rpm %.0f  km/h %.1f  coolant %.1f C  throttle %.0f %%  gear %d%s%s", t.rpm,
                  t.vehicleKmh, t.coolantC, t.throttlePct, t.gear, t.running ? "" : "  stopped",
                  t.fuelCut ? "  fuel cut" : "");
    return line;
}

std::string faultCommand(SimulatedEcu& ecu, const std::vector<std::string>& w) {
    if (w.size() == 2 && w[1] == "clear") {
        ecu.clearFaultRules();
        return "ok";
    }
    if (w.size() == 3 && w[1] == "add") {
        if (const auto rule = parseFaultRule(w[2])) {
            ecu.addFault(*rule);
            return "ok";
        }
    }
    return "bad fault command; try: fault add silence:after=5";
}

}  // namespace

std::string_view commandHelp() {
    return help;
}

CommandResult runCommand(SimulatedEcu& ecu, std::string_view line) {
    const std::vector<std::string> w = words(line);
    if (w.empty()) {
        return {};
    }
    // The model catches up only when asked; an order must not reach back over a rest.
    ecu.advance();
    const std::string& verb = w[0];
    const int flag = w.size() == 2 ? onOff(w[1]) : -1;
    if (verb == "quit" || verb == "exit") {
        return {"bye", true};
    }
    if (std::optional<std::string> reply = numberCommand(ecu, w)) {
        return {std::move(*reply)};
    }
    if (verb == "brake" && flag >= 0) {
        ecu.setBraking(flag == 1);
    } else if (verb == "silent" && flag >= 0) {
        ecu.setSilent(flag == 1);
    } else if (verb == "go" && w.size() == 1) {
        ecu.startManoeuvre();
    } else if (verb == "restart" && w.size() == 1) {
        ecu.restart();
    } else if (verb == "equipment" && w.size() == 2 && parseEquipment(w[1])) {
        ecu.setEquipment(*parseEquipment(w[1]));
    } else if (verb == "scenario" && w.size() == 2 && scenarioFromName(w[1])) {
        ecu.setScenario(*scenarioFromName(w[1]));
    } else if (verb == "fault") {
        return {faultCommand(ecu, w)};
    } else if (verb == "status") {
        return {status(ecu)};
    } else if (verb == "help") {
        return {std::string(help)};
    } else {
        return {"unknown command; type help"};
    }
    return {"ok"};
}

}  // namespace ecuprobe::sim
