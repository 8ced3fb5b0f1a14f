#include <unistd.h>

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "cli/command.h"
#include "cli/command_prompts.h"
#include "cli/exit_codes.h"
#include "cli/option_checks.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "cli/test_printer.h"
#include "console/acceleration_test_form.h"
#include "console/dynamic_test_form.h"
#include "console/loss_test_form.h"

namespace ecuprobe::cli {

namespace {

using console::MeasuredTestForm;
using measure::SampleResult;

struct TestOptions {
    TestKind kind = TestKind::dynamic;
    int start = 0;
    int end = 0;
    int gear = 0;
    std::optional<std::string> dump;
    std::string comment;
};

std::unique_ptr<MeasuredTestForm> formFor(const TestOptions& o, ecu::EcuSession& session,
                                          reports::UserPrompts& prompts) {
    switch (o.kind) {
        case TestKind::dynamic: {
            auto form = std::make_unique<console::DynamicTestForm>(session, prompts);
            form->setStartText(std::to_string(o.start));
            form->setEndText(std::to_string(o.end));
            if (o.gear != 0) {
                form->clickOnTheMove();
                form->chooseGear(o.gear);
            }
            return form;
        }
        case TestKind::acceleration: {
            auto form = std::make_unique<console::AccelerationTestForm>(session, prompts);
            form->startSpeed = o.start;
            form->endSpeed = o.end;
            form->gear = o.gear;
            return form;
        }
        case TestKind::loss:
            break;
    }
    auto form = std::make_unique<console::MechanicalLossTestForm>(session, prompts);
    form->startSpeed = static_cast<std::uint32_t>(o.start);
    form->endSpeed = static_cast<std::uint32_t>(o.end);
    return form;
}

// How the run ended, as the exit status: the test's own message is on stderr.
int statusOf(const console::TestRun& run) {
    switch (run.result) {
        case SampleResult::Ok:
            return run.report && *run.report != reports::ReportOutcome::saved ? exitCannotCreate
                                                                              : exitOk;
        case SampleResult::LinkLost:
            return exitNoAnswer;
        case SampleResult::Stopped:
            return exitOk;
        default:
            return exitServiceFailed;
    }
}

int runTest(RunContext& run, const TestOptions& options) {
    CommandPrompts prompts({options.dump, options.comment, false}, run.err);
    // The inputs are checked before the port is touched.
    {
        ecu::EcuSession unconnected;
        if (const auto problem = formFor(options, unconnected, prompts)->inputProblem()) {
            prompts.showMessage(problem->caption, problem->text, reports::MessageIcon::error);
            return exitUsage;
        }
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != exitOk) {
        return scope.finish(code);
    }
    reports::currentDumpPath = options.dump.value_or("");
    const std::unique_ptr<MeasuredTestForm> form = formFor(options, scope.session(), prompts);
    form->save = options.dump.has_value();
    measure::TestSampler sampler(scope.session());
    ProgressLine progress(run.err, ::isatty(STDERR_FILENO) == 1);
    sampler.onProgress([&progress](const measure::SampleProgress& p) { progress.show(p); });
    sampler.stopWhen(StopSignals::requested);
    const console::TestRun outcome = form->run(sampler);
    progress.finish();
    if (outcome.result == SampleResult::Ok) {
        run.out << resultText(options.kind, *form);
    }
    return scope.finish(statusOf(outcome));
}

CLI::App* addTest(CLI::App& parent, CommandChoice& choice, TestKind kind, const char* name,
                  const char* description, int start, int end) {
    auto options = std::make_shared<TestOptions>();
    options->kind = kind;
    options->start = start;
    options->end = end;
    CLI::App* command = parent.add_subcommand(name, description);
    const bool rpm = kind != TestKind::acceleration;
    command
        ->add_option("--start", options->start,
                     rpm ? "Start engine speed, rpm" : "Start speed, km/h")
        ->check(wholeNumberIn(0, 99999))
        ->capture_default_str();
    command->add_option("--end", options->end, rpm ? "End engine speed, rpm" : "End speed, km/h")
        ->check(wholeNumberIn(0, 99999))
        ->capture_default_str();
    if (kind != TestKind::loss) {
        command
            ->add_option("--gear", options->gear, "0 standing (no gear chosen), 1..4 on the move")
            ->check(wholeNumberIn(0, 4));
    }
    command
        ->add_option("--dump", options->dump,
                     "Append the report to this tester dump file and write the samples to "
                     "<seconds>.dm? in the current folder, as \"Сохранить\" does")
        ->check(nonEmptyPath());
    command->add_option("--comment", options->comment, "The report's comment (with --dump)");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runTest(run, *options); };
    });
    return command;
}

}  // namespace

void addTestCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* test = app.add_subcommand("test", "Run a measured test: dynamic, accel or loss");
    test->require_subcommand(1);
    test->footer(
        "The ECU switches to the test data set; the run waits for the start level, records\n"
        "until the end level and prints the results. Ctrl-C stops it cleanly, writing nothing.\n"
        "Exit status: 0 done, 2 the link was lost, 3 the run failed (the test's message on\n"
        "stderr), 64 the levels are refused, 73 the report or sample file could not be written.\n"
        "Examples:\n"
        "  ecuprobe-cli --simulate runup test dynamic\n"
        "  ecuprobe-cli test accel --start 20 --end 80 --gear 3 --dump car.tdm --comment "
        "'ГАЗ-3110'\n"
        "  ecuprobe-cli --simulate coastdown test loss --dump car.tdm");
    addTest(*test, choice, TestKind::dynamic, "dynamic",
            "Engine run-up time from a start to an end engine speed", 2000, 5500);
    addTest(*test, choice, TestKind::acceleration, "accel",
            "Time from one road speed to another, speeding up or slowing down", 20, 80);
    addTest(*test, choice, TestKind::loss, "loss",
            "Coast-down time of the engine with the fuel cut off", 5000, 2000);
}

}  // namespace ecuprobe::cli
