#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/control_parameter_form.h"
#include "console/panel_controls.h"

namespace ecuprobe::cli {

// What a line typed into the monitor asks for.
enum class MonitorVerb { click, period, quit, help, ident, set, store, reset, report, test };

struct MonitorCommand {
    MonitorVerb verb = MonitorVerb::help;
    // The console's control: the one clicked; "Идент.", "Управление" (set, store),
    // an "Х" button (reset), "Запись" (report) or the test's button.
    console::ControlId control = 0;
    // period: the text for the period box; set: the value as typed; report: its
    // options; test: the test's name and its options, as typed.
    std::string argument;
    std::optional<console::ParameterField> parameter;  // set, store

    bool operator==(const MonitorCommand&) const = default;
};

// A command, or the message for a line that is none; neither for a blank line.
struct ParsedLine {
    std::optional<MonitorCommand> command;
    std::string error;
};

ParsedLine parseMonitorLine(std::string_view line);

// The word that clicks a control, with its argument where one is needed: "inj 1", "pump".
struct ControlWord {
    std::string_view words;
    console::ControlId control;
};

// Every control the monitor can click, by the words that click it.
std::span<const ControlWord> controlWords();
// The words for a control, empty when the monitor has none.
std::string_view wordsFor(console::ControlId control);

// The word that names each control parameter in set and store: "idle", "rcok".
std::string_view parameterWord(console::ParameterField field);

std::string monitorHelp();

}  // namespace ecuprobe::cli
