#include <CLI/CLI.hpp>

#include <memory>

#include "cli/command.h"
#include "cli/command_prompts.h"
#include "cli/parameter_inputs.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

using console::ParameterField;

struct ParamsOptions {
    ParameterInputs given;
    bool store = false;
};

// Every given value that goes to the ECU as its limit, on stderr.
void tellLimits(RunContext& run, const console::ControlParameterForm& form,
                const ParameterInputs& given) {
    const std::optional<console::ControlParameterValues> typed = form.validate().values;
    for (const console::ParameterFieldInfo& info : console::parameterFields()) {
        const std::string note = typed ? console::limitNote(info.field, *typed) : std::string();
        if (given.texts[static_cast<std::size_t>(info.field)] && !note.empty()) {
            run.err << "ecuprobe-cli: " << note << '\n';
        }
    }
}

// One OK of the dialog with the given fields; line::exitServiceFailed with the status
// text when the ECU refused a set, a store or a read-back.
int applyGiven(RunContext& run, ecu::EcuSession& session, const ParamsOptions& options) {
    console::ControlParameterForm form(session.liveData());
    typeInto(form, options.given);
    tellLimits(run, form, options.given);
    CommandPrompts prompts({std::nullopt, {}, options.store}, run.err);
    const std::string before = session.statusText();
    form.apply(session, prompts);
    if (session.statusText() != before) {
        run.err << "ecuprobe-cli: " << session.statusText() << '\n';
        return line::exitServiceFailed;
    }
    return line::exitOk;
}

int runParams(RunContext& run, const ParamsOptions& options) {
    if (const std::string problem = parameterProblem(options.given); !problem.empty()) {
        run.err << "ecuprobe-cli: " << problem << '\n';
        return line::exitUsage;
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    ecu::EcuSession& session = scope.session();
    int code = line::exitOk;
    if (options.given.any()) {
        code = applyGiven(run, session, options);
        if (session.stopRequested()) {
            run.err << "ecuprobe-cli: stopped: what was not sent yet stays unsent, and no value "
                       "is shown\n";
            return scope.finish(code);
        }
        // The sets leave the slow group due, so this read brings every parameter.
        if (session.readLiveData() != ecu::ReadResult::read) {
            run.err << "ecuprobe-cli: " << session.statusText() << '\n';
            return scope.finish(line::exitNoAnswer);
        }
    }
    run.out << parameterLines(console::ControlParameterValues::from(session.liveData()));
    return scope.finish(code);
}

void addValue(CLI::App& command, ParamsOptions& options, const char* name, ParameterField field,
              const char* description) {
    command.add_option(name, options.given[field], description)->type_name("VALUE");
}

}  // namespace

void addParamsCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<ParamsOptions>();
    CLI::App* command = app.add_subcommand(
        "params", "Show or set the seven control parameters, as \"Управление\" does");
    addValue(*command, *options, "--stepper", ParameterField::idleStepper,
             "Idle air stepper position, steps (at most 255)");
    addValue(*command, *options, "--idle-speed", ParameterField::idleSpeed,
             "Idle speed, rpm (at most 2500, sent in tens)");
    addValue(*command, *options, "--uoz", ParameterField::ignitionCorrection,
             "Ignition advance correction, degrees (-15..15)");
    addValue(*command, *options, "--rcod", ParameterField::rcod,
             "Idle CO correction RCOD (-0.3..0)");
    addValue(*command, *options, "--rcok", ParameterField::rcok,
             "Fuel delivery correction RCOK (-0.5..0)");
    addValue(*command, *options, "--egr", ParameterField::egrDegree,
             "Exhaust gas recirculation degree JEGR, % (0..100)");
    addValue(*command, *options, "--purge", ParameterField::purgeDegree,
             "Canister purge degree JADS, % (0..100)");
    command->add_flag("--store", options->store,
                      "Answer Yes to the questions whether to store RCOD, RCOK and the ignition "
                      "correction in the ECU's non-volatile memory (otherwise No)");
    command->footer(
        "Without options: the seven current values. With options: the given values are sent\n"
        "as one \"Ввод\" of the dialog (a given value counts as changed even when it is the\n"
        "current one), then the values are read back and shown. A value beyond its limit\n"
        "(stepper 255, idle speed 2500, UOZ -15..15, RCOD -0.3) is sent as the limit, which\n"
        "stderr tells; RCOD and RCOK above 0, or RCOK below -0.5, are refused.\n"
        "When the command ends every parameter is handed back to the ECU: an override does\n"
        "not stay; a value stored with --store stays in the ECU's non-volatile memory.\n"
        "Exit status: 0 done, 2 the ECU does not answer, 3 the ECU refused a value, a store\n"
        "or a read-back (its text on stderr), 64 a value the dialog refuses (nothing sent).\n"
        "Examples:\n"
        "  ecuprobe-cli params\n"
        "  ecuprobe-cli params --idle-speed 900\n"
        "  ecuprobe-cli params --rcok -0.02 --store");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runParams(run, *options); };
    });
}

}  // namespace ecuprobe::cli
