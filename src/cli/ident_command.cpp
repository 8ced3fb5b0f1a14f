#include <CLI/CLI.hpp>

#include "cli/command.h"
#include "cli/identity_text.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

int runIdent(RunContext& run) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    const console::IdentificationRead read = console::readIdentification(scope.session());
    if (!read.content) {
        run.err << "ecuprobe-cli: the ECU gave no passport block: no identification to show\n";
        return scope.finish(line::exitNoAnswer);
    }
    run.out << identificationText(*read.content);
    if (!read.unanswered.empty()) {
        run.err << "ecuprobe-cli: " << read.unanswered.text() << ": shown empty\n";
        return scope.finish(line::exitNoAnswer);
    }
    return scope.finish(line::exitOk);
}

}  // namespace

void addIdentCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* command = app.add_subcommand(
        "ident", "The ECU's identification and equipment, as \"Идент.\" shows them");
    command->footer(
        "The passports of the program and the data, modification, serial number, dates,\n"
        "engine and body numbers, then the equipment list.\n"
        "Exit status: 0 shown, 2 the ECU does not answer, gave no passport block or left\n"
        "a text or the equipment unanswered (shown empty, named on stderr).\n"
        "Examples:\n"
        "  ecuprobe-cli ident\n"
        "  ecuprobe-cli --simulate --sim-equipment 1F00C101B301 ident");
    command->callback([&choice] { choice.run = runIdent; });
}

}  // namespace ecuprobe::cli
