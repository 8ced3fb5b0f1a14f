#include <CLI/CLI.hpp>

#include <memory>

#include "cli/command.h"
#include "cli/command_prompts.h"
#include "cli/output_check.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"
#include "line/option_checks.h"
#include "reports/tester_dump.h"

namespace ecuprobe::cli {

namespace {

struct ReportOptions {
    std::string dump;
    std::string comment;
};

int runReport(RunContext& run, const ReportOptions& options) {
    if (const int refused = refuseOutputOnPort(run, "the dump file", options.dump)) {
        return refused;
    }
    CheckedOutput dumpFile;
    if (const std::string why = dumpFile.check(options.dump); !why.empty()) {
        run.err << "ecuprobe-cli: cannot write the dump file " << options.dump << ": " << why
                << '\n';
        return line::exitCannotCreate;
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    CommandPrompts prompts({options.dump, options.comment, false}, run.err);
    reports::currentDumpPath = options.dump;
    reports::TesterDump dump(scope.session(), prompts);
    if (dump.saveStateReport() != reports::ReportOutcome::saved) {
        return scope.finish(line::exitCannotCreate);
    }
    const ecu::UnansweredReads& unanswered = dump.unanswered();
    if (unanswered.empty()) {
        run.out << "Состояние ЭБУ дописано в " << options.dump << '\n';
        return scope.finish(line::exitOk);
    }
    // The live read is written whatever came of it: unanswered, it leaves the
    // reset values (0 °C, 0 rpm), which are no state of the engine.
    if (scope.session().connected() == 0) {
        run.err << "ecuprobe-cli: the ECU stopped answering during the report: the one appended to "
                << options.dump << " holds reset values, not readings\n";
    }
    run.err << "ecuprobe-cli: " << unanswered.text() << ": the report appended to " << options.dump
            << " holds no reading of them\n";
    return scope.finish(line::exitNoAnswer);
}

}  // namespace

void addReportCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App* command = app.add_subcommand(
        "report", "Append the ECU state report to a tester dump file, as \"Запись\" does");
    command->add_option("--dump", options->dump, "The tester dump file (.tdm), appended to")
        ->required()
        ->check(line::nonEmptyPath());
    command
        ->add_option("--comment", options->comment,
                     "The report's comment, at most 256 characters: a longer one is refused "
                     "(exit 64), never cut")
        ->check(line::commentText());
    command->footer(
        "The report holds the live values read afresh, the stored faults, the identification\n"
        "and the equipment, in code page 1251 with CR LF line ends.\n"
        "Exit status: 0 written, 2 the ECU does not answer, or the report was written with\n"
        "what the ECU left unanswered (named on stderr: its fields stay empty, the live\n"
        "values are the reset's), 73 the file cannot be written (checked before connecting)\n"
        "or was not written completely.\n"
        "Examples:\n"
        "  ecuprobe-cli report --dump car.tdm --comment 'до ремонта'\n"
        "  ecuprobe-cli --simulate report --dump /tmp/sim.tdm");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runReport(run, *options); };
    });
}

}  // namespace ecuprobe::cli
