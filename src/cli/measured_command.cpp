#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

#include "cli/command.h"
#include "cli/command_prompts.h"
#include "cli/console_io.h"
#include "cli/measured_options.h"
#include "cli/measured_printer.h"
#include "cli/output_check.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

using console::MeasuredForm;
using measure::SampleResult;

// How the run ended, as the exit status: the test's own message is on stderr.
int statusOf(const console::TestRun& run) {
    switch (run.result) {
        case SampleResult::Ok:
            return run.report && *run.report != reports::ReportOutcome::saved
                       ? line::exitCannotCreate
                       : line::exitOk;
        case SampleResult::LinkLost:
            return line::exitNoAnswer;
        case SampleResult::Stopped:
            return line::exitOk;
        default:
            return line::exitServiceFailed;
    }
}

// The report and the sample file, checked before a run of minutes that would
// find them unwritable only at its end; empty when they can be written.
std::string outputProblem(const TestOptions& options, CheckedOutput& dumpFile) {
    if (!options.dump) {
        return {};
    }
    if (const std::string why = dumpFile.check(*options.dump); !why.empty()) {
        return "cannot write the dump file " + *options.dump + ": " + why;
    }
    if (!canCreateHere()) {
        std::error_code unknown;
        return "cannot create the sample file in the current folder " +
               std::filesystem::current_path(unknown).string();
    }
    return {};
}

int runTest(RunContext& run, const TestOptions& options) {
    CommandPrompts prompts({options.dump, options.comment.value_or(""), false}, run.err);
    // The inputs are checked before the port is touched.
    {
        ecu::EcuSession unconnected;
        if (const auto problem = formFor(options, unconnected, prompts)->inputProblem()) {
            prompts.showMessage(problem->caption, problem->text, reports::MessageIcon::error);
            return line::exitUsage;
        }
    }
    if (const int refused = refuseOutputOnPort(run, "the dump file", options.dump.value_or(""))) {
        return refused;
    }
    CheckedOutput dumpFile;
    if (const std::string problem = outputProblem(options, dumpFile); !problem.empty()) {
        run.err << "ecuprobe-cli: " << problem << '\n';
        return line::exitCannotCreate;
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    reports::currentDumpPath = options.dump.value_or("");
    const std::unique_ptr<MeasuredForm> form = formFor(options, scope.session(), prompts);
    form->save = options.dump.has_value();
    measure::TestSampler sampler(scope.session());
    ProgressLine progress(run.err, isTerminal(StandardStream::error));
    sampler.onProgress([&progress](const measure::SampleProgress& p) { progress.show(p); });
    sampler.stopWhen(StopSignals::requested);
    const console::TestRun outcome = form->run(sampler);
    progress.finish();
    if (outcome.result == SampleResult::Ok) {
        run.out << resultText(*form);
    }
    return scope.finish(statusOf(outcome));
}

void addTest(CLI::App& parent, CommandChoice& choice, const TestName& test) {
    auto options = std::make_shared<TestOptions>(testDefaults(test.kind));
    CLI::App* command = parent.add_subcommand(test.name, test.description);
    addTestOptions(*command, *options);
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runTest(run, *options); };
    });
}

}  // namespace

void addTestCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* test = app.add_subcommand("test", "Run a measured test: dynamic, accel or loss");
    test->require_subcommand(1);
    test->footer(
        "The ECU switches to the test data set; the run waits for the start level, records\n"
        "until the end level and prints the results. Ctrl-C stops it cleanly, writing nothing.\n"
        "Exit status: 0 done, 2 the link was lost, 3 the run failed (the test's message on\n"
        "stderr), 64 the levels or the comment are refused, 73 the report or sample file\n"
        "could not be written (both are checked before connecting). Two runs saved in one\n"
        "second write two sample files: the second takes the next number.\n"
        "Examples:\n"
        "  ecuprobe-cli --simulate runup test dynamic\n"
        "  ecuprobe-cli test accel --start 20 --end 80 --gear 3 --dump car.tdm --comment "
        "'ГАЗ-3110'\n"
        "  ecuprobe-cli --simulate coastdown test loss --dump car.tdm");
    for (const TestName& name : testNames()) {
        addTest(*test, choice, name);
    }
}

}  // namespace ecuprobe::cli
