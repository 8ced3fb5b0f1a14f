#include <unistd.h>

#include <CLI/CLI.hpp>

#include <memory>

#include "cli/command.h"
#include "cli/console_io.h"
#include "cli/input_lines.h"
#include "cli/monitor.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"
#include "line/option_checks.h"

namespace ecuprobe::cli {

namespace {

struct MonitorOptions {
    int period = 2;
};

int runMonitor(RunContext& run, const MonitorOptions& options) {
    platform::RealClock clock;
    InputLines typed(STDIN_FILENO);
    Monitor monitor(clock, typed, run.out, run.err, isTerminal(StandardStream::output),
                    [&run] { return run.outputLost(); });
    console::TesterPanel& panel = monitor.panel();
    panel.onComSelected(run.line.comIndex());
    panel.enterPeriod(std::to_string(options.period));
    std::string message = panel.onStart();
    if (!panel.ecuSession().portOpen()) {
        reportOpenFailure(run, panel.ecuSession().openFailure());
        // Nothing was taken over on a port that never opened; polling it would only time out.
        panel.abandon();
        return line::exitPortFailed;
    }
    monitor.run(std::move(message));
    panel.onDestroy();
    const ecu::EcuSession& session = panel.ecuSession();
    if (!monitor.ecuAnswered()) {
        run.out << "Порт закрыт.\n";
        reportNoAnswer(run, session);
        return commandExitStatus(run, line::exitNoAnswer, nullptr);
    }
    const bool handedBack = session.lastHandBack().complete();
    run.out << (handedBack ? "Управление возвращено ЭБУ, порт закрыт.\n" : "Порт закрыт.\n");
    return commandExitStatus(run, line::exitOk, &session.lastHandBack());
}

}  // namespace

void addMonitorCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<MonitorOptions>();
    CLI::App* command = app.add_subcommand(
        "monitor", "The tester console in the terminal: live values, outputs, faults, services");
    command
        ->add_option("-p,--period", options->period,
                     "Poll period: 0 (0.6 s), 1 (1 s) or 2 (2 s, the console's default)")
        ->check(line::wholeNumberIn(0, 2));
    command->footer(
        "Type commands on stdin between polls (help lists them). A question of a service\n"
        "(store, reset, the dump file, the comment) is answered on the next line while\n"
        "the poll runs on; an empty line takes the default. quit, Ctrl-D or Ctrl-C hand\n"
        "every output back to the ECU before leaving; during a measured test Ctrl-C stops\n"
        "the run only. Ends with 0 when the ECU confirmed the hand-back, 4 when it did not,\n"
        "128+N after signal N.\n"
        "Examples:\n"
        "  ecuprobe-cli monitor --period 1\n"
        "  ecuprobe-cli --simulate monitor\n"
        "  (echo 'inj 1'; sleep 5; echo quit) | ecuprobe-cli --port COM2 monitor > poll.txt\n"
        "  (echo 'set idle 900'; sleep 3; echo 'store uoz'; echo no; echo quit) |\n"
        "      ecuprobe-cli --simulate monitor");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runMonitor(run, *options); };
    });
}

}  // namespace ecuprobe::cli
