#include "cli/monitor_input.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ecuprobe::cli {

namespace {

namespace control = console::control;

constexpr std::array words{
    ControlWord{"inj 1", control::injector1},
    ControlWord{"inj 2", control::injector2},
    ControlWord{"inj 3", control::injector3},
    ControlWord{"inj 4", control::injector4},
    ControlWord{"coil 14", control::coil14},
    ControlWord{"coil 23", control::coil23},
    ControlWord{"pump", control::fuelPump},
    ControlWord{"lamp", control::checkEngineLamp},
    ControlWord{"ac", control::airConditioner},
    ControlWord{"purge", control::canisterPurge},
    ControlWord{"fan", control::fan},
    ControlWord{"lambda", control::lambdaRegulator},
    ControlWord{"knock", control::knockRegulator},
    ControlWord{"release", control::releaseControls},
    ControlWord{"clear-faults", control::clearFaults},
    ControlWord{"decode", control::decodeFaults},
};

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> parts;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
        parts.push_back(line.substr(start, end - start));
        at = end;
    }
    return parts;
}

// Words with an argument must get one of the arguments the table lists.
std::string argumentError(std::string_view verb) {
    if (verb == "inj") {
        return "inj takes an injector number 1..4, e.g. inj 1";
    }
    return "coil takes 14 or 23, e.g. coil 14";
}

ParsedLine clickFor(const std::vector<std::string_view>& parts) {
    const std::string joined = parts.size() == 1
                                   ? std::string(parts[0])
                                   : std::string(parts[0]) + " " + std::string(parts[1]);
    const auto* found = std::find_if(words.begin(), words.end(),
                                     [&joined](const ControlWord& w) { return w.words == joined; });
    if (parts.size() <= 2 && found != words.end()) {
        return {MonitorCommand{MonitorVerb::click, found->control, {}}, {}};
    }
    if (parts[0] == "inj" || parts[0] == "coil") {
        return {std::nullopt, argumentError(parts[0])};
    }
    const bool known = std::any_of(words.begin(), words.end(),
                                   [&parts](const ControlWord& w) { return w.words == parts[0]; });
    if (known) {
        return {std::nullopt, std::string(parts[0]) + " takes no argument"};
    }
    return {std::nullopt, "unknown command: " + std::string(parts[0]) + " (help lists them)"};
}

}  // namespace

ParsedLine parseMonitorLine(std::string_view line) {
    const std::vector<std::string_view> parts = splitWords(line);
    if (parts.empty()) {
        return {};
    }
    const std::string_view verb = parts[0];
    if (verb == "quit" || verb == "q" || verb == "help" || verb == "?") {
        if (parts.size() > 1) {
            return {std::nullopt, std::string(verb) + " takes no argument"};
        }
        return {MonitorCommand{
                    verb == "quit" || verb == "q" ? MonitorVerb::quit : MonitorVerb::help, 0, {}},
                {}};
    }
    if (verb == "period") {
        if (parts.size() != 2) {
            return {std::nullopt, "period takes the poll period in seconds: 0, 1 or 2"};
        }
        return {MonitorCommand{MonitorVerb::period, 0, std::string(parts[1])}, {}};
    }
    return clickFor(parts);
}

std::span<const ControlWord> controlWords() {
    return words;
}

std::string_view wordsFor(console::ControlId id) {
    const auto* found = std::find_if(words.begin(), words.end(),
                                     [id](const ControlWord& w) { return w.control == id; });
    return found == words.end() ? std::string_view() : found->words;
}

std::string monitorHelp() {
    return "Commands (one per line, between polls):\n"
           "  inj 1..4, coil 14|23   switch an injector or an ignition coil off or on\n"
           "  pump, lamp, ac, fan    fuel pump, malfunction lamp, air conditioner, fan\n"
           "  purge, lambda, knock   canister purge, lambda and knock regulators\n"
           "  release                hand every output back to the ECU\n"
           "  clear-faults, decode   clear the faults; show the decoded fault list\n"
           "  period 0|1|2           poll every 0.6, 1 or 2 seconds\n"
           "  quit                   hand everything back and leave (also Ctrl-C, Ctrl-D)\n"
           "  help                   this list\n"
           "A control in ( ) is disabled just now, as on the console.";
}

}  // namespace ecuprobe::cli
