#include "cli/monitor_input.h"

#include <algorithm>
#include <array>
#include <optional>
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

using console::ParameterField;

struct ParameterWord {
    std::string_view word;
    ParameterField field;
    bool storable;
};

constexpr std::array parameterWords{
    ParameterWord{"stepper", ParameterField::idleStepper, false},
    ParameterWord{"idle", ParameterField::idleSpeed, false},
    ParameterWord{"uoz", ParameterField::ignitionCorrection, true},
    ParameterWord{"rcod", ParameterField::rcod, true},
    ParameterWord{"rcok", ParameterField::rcok, true},
    ParameterWord{"egr", ParameterField::egrDegree, false},
    ParameterWord{"purge", ParameterField::purgeDegree, false},
};

// The verbs that take a word and what it stands for.
struct NamedControl {
    std::string_view word;
    console::ControlId control;
};

constexpr std::array resetWords{NamedControl{"lambda", control::lambdaAdaptationReset},
                                NamedControl{"knock", control::knockAdaptationReset}};
constexpr std::array testWords{NamedControl{"dynamic", control::dynamicTest},
                               NamedControl{"accel", control::accelerationTest},
                               NamedControl{"loss", control::lossTest}};

const ParameterWord* findParameter(std::string_view word) {
    const auto* found = std::find_if(parameterWords.begin(), parameterWords.end(),
                                     [word](const ParameterWord& p) { return p.word == word; });
    return found == parameterWords.end() ? nullptr : &*found;
}

const NamedControl* findNamed(std::span<const NamedControl> table, std::string_view word) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [word](const NamedControl& n) { return n.word == word; });
    return found == table.end() ? nullptr : &*found;
}

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

// The line after its first word, without the blanks around: the options as typed.
std::string restAfterFirstWord(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t\r");
    const std::size_t afterWord = std::min(line.find_first_of(" \t\r", start), line.size());
    const std::size_t rest = std::min(line.find_first_not_of(" \t\r", afterWord), line.size());
    const std::size_t end = line.find_last_not_of(" \t\r");
    return rest > end ? std::string() : std::string(line.substr(rest, end - rest + 1));
}

ParsedLine failed(std::string message) {
    return {std::nullopt, std::move(message)};
}

ParsedLine command(MonitorVerb verb, console::ControlId id, std::string argument = {},
                   std::optional<ParameterField> parameter = std::nullopt) {
    return {MonitorCommand{verb, id, std::move(argument), parameter}, {}};
}

ParsedLine parameterCommand(const std::vector<std::string_view>& parts) {
    const ParameterWord* parameter = parts.size() > 1 ? findParameter(parts[1]) : nullptr;
    if (parts[0] == "set") {
        if (parts.size() != 3 || parameter == nullptr) {
            return failed(
                "set takes stepper|idle|uoz|rcod|rcok|egr|purge and a value, "
                "e.g. set idle 900");
        }
        return command(MonitorVerb::set, control::controlParameters, std::string(parts[2]),
                       parameter->field);
    }
    if (parts.size() != 2 || parameter == nullptr || !parameter->storable) {
        return failed("store takes rcod, rcok or uoz, e.g. store uoz");
    }
    return command(MonitorVerb::store, control::controlParameters, {}, parameter->field);
}

// ident, set, store, reset, report and test; nullopt for any other verb.
std::optional<ParsedLine> serviceCommand(std::string_view line,
                                         const std::vector<std::string_view>& parts) {
    const std::string_view verb = parts[0];
    if (verb == "ident") {
        return parts.size() == 1 ? command(MonitorVerb::ident, control::identify)
                                 : failed("ident takes no argument");
    }
    if (verb == "set" || verb == "store") {
        return parameterCommand(parts);
    }
    if (verb == "reset") {
        const NamedControl* table = parts.size() == 2 ? findNamed(resetWords, parts[1]) : nullptr;
        return table != nullptr ? command(MonitorVerb::reset, table->control)
                                : failed("reset takes lambda or knock, e.g. reset knock");
    }
    if (verb == "report") {
        return command(MonitorVerb::report, control::saveDump, restAfterFirstWord(line));
    }
    if (verb == "test") {
        const NamedControl* test = parts.size() > 1 ? findNamed(testWords, parts[1]) : nullptr;
        return test != nullptr
                   ? command(MonitorVerb::test, test->control, restAfterFirstWord(line))
                   : failed("test takes dynamic, accel or loss, e.g. test dynamic --start 2000");
    }
    return std::nullopt;
}

ParsedLine clickFor(const std::vector<std::string_view>& parts) {
    const std::string joined = parts.size() == 1
                                   ? std::string(parts[0])
                                   : std::string(parts[0]) + " " + std::string(parts[1]);
    const auto* found = std::find_if(words.begin(), words.end(),
                                     [&joined](const ControlWord& w) { return w.words == joined; });
    if (parts.size() <= 2 && found != words.end()) {
        return command(MonitorVerb::click, found->control);
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
        return command(verb == "quit" || verb == "q" ? MonitorVerb::quit : MonitorVerb::help, 0);
    }
    if (verb == "period") {
        if (parts.size() != 2) {
            return failed("period takes the poll period in seconds: 0, 1 or 2");
        }
        return command(MonitorVerb::period, 0, std::string(parts[1]));
    }
    if (std::optional<ParsedLine> service = serviceCommand(line, parts)) {
        return std::move(*service);
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

std::string_view parameterWord(ParameterField field) {
    const auto* found = std::find_if(parameterWords.begin(), parameterWords.end(),
                                     [field](const ParameterWord& p) { return p.field == field; });
    return found == parameterWords.end() ? std::string_view() : found->word;
}

std::string monitorHelp() {
    return "Commands (one per line, between polls):\n"
           "  inj 1..4, coil 14|23   switch an injector or an ignition coil off or on\n"
           "  pump, lamp, ac, fan    fuel pump, malfunction lamp, air conditioner, fan\n"
           "  purge, lambda, knock   canister purge, lambda and knock regulators\n"
           "  release                hand every output back to the ECU\n"
           "  clear-faults, decode   clear the faults; show the decoded fault list\n"
           "  ident                  the ECU's identification and equipment\n"
           "  set WHAT VALUE         take a parameter over: stepper (steps), idle (rpm),\n"
           "                         uoz (degrees), rcod, rcok, egr (%), purge (%)\n"
           "  store rcod|rcok|uoz    store the value in the ECU's non-volatile memory\n"
           "  reset lambda|knock     clear the lambda or knock adaptation table\n"
           "  report [--dump FILE] [--comment TEXT]\n"
           "                         append the ECU state report to the dump file\n"
           "  test dynamic|accel|loss [--start N] [--end N] [--gear G] [--dump FILE]\n"
           "       [--comment TEXT]  run a measured test; Ctrl-C stops the run only\n"
           "  period 0|1|2           poll every 0.6, 1 or 2 seconds\n"
           "  quit                   hand everything back and leave (also Ctrl-C, Ctrl-D)\n"
           "  help                   this list\n"
           "A question is answered on the next line (Enter takes the default) while the\n"
           "poll runs on. A control in ( ) is disabled just now, as on the console.";
}

}  // namespace ecuprobe::cli
