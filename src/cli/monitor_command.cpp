#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/fault_text.h"
#include "cli/input_lines.h"
#include "cli/monitor_input.h"
#include "cli/option_checks.h"
#include "cli/panel_view.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "console/tester_panel.h"
#include "link/frame_exchange.h"

namespace ecuprobe::cli {

namespace {

namespace control = console::control;
using console::ClickOutcome;
using console::TesterPanel;

struct MonitorOptions {
    int period = 2;
};

std::string clickMessage(TesterPanel& panel, console::ControlId id) {
    const console::ClickResult result = panel.onClick(id);
    const std::string label = switchLabel(id);
    switch (result.outcome) {
        case ClickOutcome::ignored:
            return label + ": disabled just now";
        case ClickOutcome::notAvailableYet:
            return label + ": not available yet";
        case ClickOutcome::done:
            break;
    }
    if (id == control::decodeFaults) {
        return result.text.empty() ? std::string("(no fault list)")
                                   : decodedForTerminal(result.text);
    }
    const auto switches = console::switchControls();
    if (std::find(switches.begin(), switches.end(), id) != switches.end()) {
        // Never the state asked for when the ECU did not take it.
        const std::string_view problem =
            ecu::writeReplyProblem(panel.ecuSession().lastWriteReply());
        if (!problem.empty()) {
            return label + ": " + std::string(problem);
        }
        return label + (panel.snapshot().isChecked(id) ? ": вкл." : ": выкл.");
    }
    return label + ": done";
}

std::string tooLongMessage() {
    return "line refused: longer than " + std::to_string(InputLines::maxLineBytes) + " bytes";
}

// Runs one typed line; sets quit when it asks to leave.
std::string runLine(TesterPanel& panel, std::string_view line, bool& quit) {
    const ParsedLine parsed = parseMonitorLine(line);
    if (!parsed.command) {
        return parsed.error;
    }
    switch (parsed.command->verb) {
        case MonitorVerb::quit:
            quit = true;
            return "quit";
        case MonitorVerb::help:
            return monitorHelp();
        case MonitorVerb::period: {
            const std::string problem = panel.enterPeriod(parsed.command->argument);
            return problem.empty() ? "period " + panel.snapshot().text(control::period) + " s"
                                   : problem;
        }
        case MonitorVerb::click:
            break;
    }
    return clickMessage(panel, parsed.command->control);
}

// Polls and takes commands until quit, end of input or a stop signal; true when
// the ECU answered at some point.
bool pollLoop(RunContext& run, TesterPanel& panel, console::ManualTimer& timer, PanelView& view,
              std::string message) {
    InputLines input(STDIN_FILENO);
    bool answered = panel.ecuSession().connected != 0;
    bool quit = false;
    view.draw(panel.snapshot(), message);
    while (!quit && !StopSignals::requested() && !run.outputLost()) {
        for (const InputLine& line : input.wait(timer.msUntilDue())) {
            message = line.tooLong ? tooLongMessage() : runLine(panel, line.text, quit);
            view.draw(panel.snapshot(), message);
            if (quit || StopSignals::requested()) {
                break;
            }
        }
        quit = quit || input.ended();
        if (!quit && timer.fireIfDue()) {
            answered = answered || panel.ecuSession().connected != 0;
            view.draw(panel.snapshot(), message);
        }
    }
    return answered;
}

int runMonitor(RunContext& run, const MonitorOptions& options) {
    platform::RealClock clock;
    console::ManualTimer timer(clock);
    TesterPanel panel(timer);
    panel.onComSelected(run.line.comIndex());
    panel.enterPeriod(std::to_string(options.period));
    std::string message = panel.onStart();
    if (link::processLink().isOpen == 0) {
        reportOpenFailure(run);
        // Nothing was taken over on a port that never opened; polling it would only time out.
        panel.abandon();
        return exitPortFailed;
    }
    PanelView view(run.out, ::isatty(STDOUT_FILENO) == 1);
    const bool answered = pollLoop(run, panel, timer, view, message);
    panel.onDestroy();
    const ecu::EcuSession& session = panel.ecuSession();
    if (!answered) {
        run.out << "Порт закрыт.\n";
        reportNoAnswer(run, session);
        return commandExitStatus(run, exitNoAnswer, nullptr);
    }
    const bool handedBack = session.lastHandBack().complete();
    run.out << (handedBack ? "Управление возвращено ЭБУ, порт закрыт.\n" : "Порт закрыт.\n");
    return commandExitStatus(run, exitOk, &session.lastHandBack());
}

}  // namespace

void addMonitorCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<MonitorOptions>();
    CLI::App* command = app.add_subcommand(
        "monitor", "The tester console in the terminal: live values, outputs, faults");
    command
        ->add_option("-p,--period", options->period,
                     "Poll period: 0 (0.6 s), 1 (1 s) or 2 (2 s, the console's default)")
        ->check(wholeNumberIn(0, 2));
    command->footer(
        "Type commands on stdin between polls (help lists them); quit, Ctrl-D or Ctrl-C\n"
        "hand every output back to the ECU before leaving. Ends with 0 when the ECU\n"
        "confirmed the hand-back, 4 when it did not, 128+N after signal N.\n"
        "Examples:\n"
        "  ecuprobe-cli monitor --period 1\n"
        "  ecuprobe-cli --simulate monitor\n"
        "  (echo 'inj 1'; sleep 5; echo quit) | ecuprobe-cli --port COM2 monitor > poll.txt");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runMonitor(run, *options); };
    });
}

}  // namespace ecuprobe::cli
