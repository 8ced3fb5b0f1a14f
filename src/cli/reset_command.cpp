#include <unistd.h>

#include <CLI/CLI.hpp>

#include <memory>

#include "cli/command.h"
#include "cli/command_prompts.h"
#include "cli/console_io.h"
#include "cli/input_lines.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "cli/terminal_prompts.h"
#include "console/adaptation_reset.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

struct ResetOptions {
    std::string table;
    bool yes = false;
};

// The question on stderr, the answer from the terminal on stdin.
class TerminalAnswers final : public AnswerLine {
public:
    explicit TerminalAnswers(std::ostream& questions) : err(questions) {}

    std::optional<InputLine> ask(std::string_view question) override {
        err << question << ' ' << std::flush;
        while (!StopSignals::requested() && !typed.ended()) {
            if (std::vector<InputLine> lines = typed.wait(waitSliceMs); !lines.empty()) {
                return std::move(lines.front());
            }
        }
        err << '\n';
        return std::nullopt;
    }
    void tell(std::string_view message) override { err << message << '\n'; }

private:
    static constexpr std::uint32_t waitSliceMs = 200;
    std::ostream& err;
    InputLines typed{STDIN_FILENO};
};

int runReset(RunContext& run, const ResetOptions& options) {
    const bool terminal = isTerminal(StandardStream::input);
    if (!options.yes && !terminal) {
        run.err << "ecuprobe-cli: reset-adaptation asks before it clears a table; without a "
                   "terminal give --yes\n";
        return line::exitUsage;
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    CommandPrompts confirmed({std::nullopt, {}, true}, run.err);
    TerminalAnswers answers(run.err);
    TerminalPrompts asked(answers);
    reports::UserPrompts& prompts = options.yes ? static_cast<reports::UserPrompts&>(confirmed)
                                                : static_cast<reports::UserPrompts&>(asked);
    const auto table = options.table == "lambda" ? console::AdaptationTable::lambda
                                                 : console::AdaptationTable::knock;
    switch (console::resetAdaptation(table, scope.session(), prompts)) {
        case console::ResetOutcome::declined:
            run.out << "Nothing sent.\n";
            return scope.finish(line::exitOk);
        case console::ResetOutcome::cleared:
            run.out << "Таблица очищена.\n";
            return scope.finish(line::exitOk);
        case console::ResetOutcome::stopped:
            run.err << "ecuprobe-cli: stopped: the table was not cleared (nothing sent)\n";
            return scope.finish(line::exitServiceFailed);
        case console::ResetOutcome::failed:
            break;
    }
    run.err << "ecuprobe-cli: " << scope.session().statusText() << '\n';
    return scope.finish(line::exitServiceFailed);
}

}  // namespace

void addResetCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<ResetOptions>();
    CLI::App* command = app.add_subcommand(
        "reset-adaptation", "Clear the ECU's lambda or knock adaptation table, as \"Х\" does");
    command->add_option("table", options->table, "lambda or knock")
        ->required()
        ->check(CLI::IsMember({"lambda", "knock"}));
    command->add_flag("-y,--yes", options->yes,
                      "Answer the question Yes; needed when stdin is not a terminal");
    command->footer(line::helpForThisSystem(
        "Asks \"Очистка таблицы.\" on the terminal first (Enter answers Yes).\n"
        "Exit status: 0 cleared or declined, 2 the ECU does not answer, 3 the ECU did not\n"
        "acknowledge the reset (its text on stderr), 64 no terminal and no --yes.\n"
        "Examples:\n"
        "  ecuprobe-cli reset-adaptation lambda\n"
        "  ecuprobe-cli --port /dev/ttyUSB0 reset-adaptation knock --yes"));
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runReset(run, *options); };
    });
}

}  // namespace ecuprobe::cli
