// The monitor's commands that run a service of the console: identification,
// control parameters, adaptation resets, the state report and the measured tests.
#include <CLI/CLI.hpp>

#include "cli/identity_text.h"
#include "cli/measured_options.h"
#include "cli/monitor.h"
#include "cli/parameter_inputs.h"
#include "cli/stop_signals.h"
#include "line/option_checks.h"
#include "line/port_outputs.h"
#include "link/frame_exchange.h"
#include "reports/measured_report.h"

namespace ecuprobe::cli {

namespace {

namespace control = console::control;
using console::ClickOutcome;
using measure::SampleResult;

std::string disabled(console::ControlId id) {
    return std::string(console::caption(id)) + ": disabled just now";
}

// The status text a service left, when it is not the one it found.
std::string statusAfter(const std::string& before, const ecu::EcuSession& session) {
    return session.statusText() != before ? " - " + session.statusText() : std::string();
}

std::string reportOutcome(reports::ReportOutcome outcome) {
    switch (outcome) {
        case reports::ReportOutcome::saved:
            return "дописано в " + reports::currentDumpPath;
        case reports::ReportOutcome::cancelled:
            return "no file chosen: nothing written";
        case reports::ReportOutcome::reportFailed:
            // The dump file could not be opened: say which and why, not only that.
            if (!reports::lastReportProblem.empty()) {
                return "not written: " + reports::lastReportProblem;
            }
            break;
        case reports::ReportOutcome::detailFailed:
            break;
    }
    return "not written completely";
}

struct ReportWords {
    std::optional<std::string> dump;
    std::optional<std::string> comment;
};

// "--dump FILE --comment TEXT" after report; the message that refuses them.
std::string parseReportWords(std::string_view words, ReportWords& given) {
    CLI::App report("Append the ECU state report to the dump file", "report");
    report.add_option("--dump", given.dump, "The tester dump file, for this and later reports")
        ->check(line::nonEmptyPath());
    report.add_option("--comment", given.comment, "The report's comment, at most 256 characters")
        ->check(line::commentText());
    try {
        report.parse(std::string(words), false);
    } catch (const CLI::CallForHelp&) {
        return report.help();
    } catch (const CLI::ParseError& error) {
        return error.what();
    }
    return {};
}

// The message that refuses a dump file on one of the COM ports; "" for a file.
std::string dumpOnPortProblem(const std::optional<std::string>& path) {
    const platform::PortMap* ports = link::processLink().portMap();
    return path && ports != nullptr ? line::outputOnPortProblem("the dump file", *path, *ports)
                                    : "";
}

}  // namespace

std::string Monitor::identify() {
    const console::ClickResult result = tester.onClick(control::identify);
    if (result.outcome == ClickOutcome::ignored) {
        return disabled(control::identify);
    }
    if (!result.identification) {
        return "Идент.: the ECU gave no passport block";
    }
    std::string text = identificationText(*result.identification);
    if (!result.unanswered.empty()) {
        text += result.unanswered.text() + ": shown empty";
    }
    return text;
}

// One OK of the control-parameter dialog with this one field typed in.
std::string Monitor::setParameter(const MonitorCommand& command) {
    if (tester.onClick(control::controlParameters).outcome == ClickOutcome::ignored) {
        return disabled(control::controlParameters);
    }
    const console::ParameterField field = *command.parameter;
    ParameterInputs given;
    given[field] = command.argument;
    console::ControlParameterForm form = tester.controlParameterForm();
    typeInto(form, given);
    const std::string before = tester.ecuSession().statusText();
    const console::ParameterCheck check = tester.applyControlParameters(form);
    if (!check.valid()) {
        return parameterProblem(given);
    }
    if (tester.ecuSession().lastWriteReply() == ecu::WriteReply::withheld) {
        return "set " + std::string(parameterWord(field)) + ": stopped, nothing sent";
    }
    return parameterLine(field, form.texts()) + statusAfter(before, tester.ecuSession());
}

std::string Monitor::storeParameter(console::ParameterField field) {
    if (!tester.snapshot().isEnabled(control::controlParameters)) {
        return disabled(control::controlParameters);
    }
    ecu::EcuSession& session = tester.ecuSession();
    const std::string before = session.statusText();
    if (!console::offerToStore(field, session, prompts)) {
        return "store " + std::string(parameterWord(field)) + ": not stored";
    }
    const console::ParameterTexts texts =
        console::parameterTexts(console::ControlParameterValues::from(session.liveData()));
    return "stored: " + parameterLine(field, texts) + statusAfter(before, session);
}

std::string Monitor::resetAdaptation(const MonitorCommand& command) {
    const std::string before = tester.ecuSession().statusText();
    const console::ClickResult result = tester.onClick(command.control);
    const std::string name =
        command.control == control::lambdaAdaptationReset ? "reset lambda" : "reset knock";
    if (result.outcome == ClickOutcome::ignored) {
        return name + ": disabled just now";
    }
    switch (result.reset.value_or(console::ResetOutcome::declined)) {
        case console::ResetOutcome::declined:
            return name + ": nothing sent";
        case console::ResetOutcome::cleared:
            return name + ": cleared";
        case console::ResetOutcome::stopped:
            return name + ": stopped, nothing sent";
        case console::ResetOutcome::failed:
            break;
    }
    return name + ":" + statusAfter(before, tester.ecuSession());
}

std::string Monitor::saveReport(std::string_view words) {
    ReportWords given;
    if (std::string problem = parseReportWords(words, given); !problem.empty()) {
        return problem;
    }
    if (std::string problem = dumpOnPortProblem(given.dump); !problem.empty()) {
        return problem;
    }
    if (!tester.snapshot().isEnabled(control::saveDump)) {
        return disabled(control::saveDump);
    }
    if (given.dump) {
        reports::currentDumpPath = *given.dump;
    }
    prompts.giveComment(given.comment);
    const console::ClickResult result = tester.onClick(control::saveDump);
    prompts.giveComment(std::nullopt);
    const reports::ReportOutcome outcome =
        result.report.value_or(reports::ReportOutcome::cancelled);
    std::string text = "Запись: " + reportOutcome(outcome);
    // The live read is written whatever came of it: unanswered, it leaves the
    // reset values (0 °C, 0 rpm), which are no state of the engine.
    if (outcome == reports::ReportOutcome::saved && tester.ecuSession().connected() == 0) {
        text += ", but the ECU stopped answering: it holds reset values, not readings";
    }
    if (outcome == reports::ReportOutcome::saved && !result.unanswered.empty()) {
        text += "\n" + result.unanswered.text() + ": the report holds no reading of them";
    }
    return text;
}

// The run blocks the poll; its progress goes on the monitor's last line and
// Ctrl-C stops the run alone.
std::string Monitor::runTest(const MonitorCommand& command) {
    const ParsedTest parsed = parseTestWords(command.argument);
    if (!parsed.options) {
        return parsed.message;
    }
    const TestOptions& options = *parsed.options;
    if (std::string problem = dumpOnPortProblem(options.dump); !problem.empty()) {
        return problem;
    }
    if (tester.onClick(command.control).outcome == ClickOutcome::ignored) {
        return disabled(command.control);
    }
    const std::unique_ptr<console::MeasuredForm> form =
        formFor(options, tester.ecuSession(), prompts);
    if (options.dump) {
        reports::currentDumpPath = *options.dump;
        form->save = true;
    }
    prompts.giveComment(options.comment);
    measure::TestSampler sampler(tester.ecuSession());
    ProgressLine progress(out, terminal);
    sampler.onProgress([&progress](const measure::SampleProgress& p) { progress.show(p); });
    sampler.stopWhen(StopSignals::requested);
    const console::TestRun run = tester.runTest(*form, sampler);
    progress.finish();
    StopSignals::forgetInterrupt();
    prompts.giveComment(std::nullopt);
    return testOutcome(*form, run);
}

std::string Monitor::testOutcome(const console::MeasuredForm& form, const console::TestRun& run) {
    if (!run.started) {
        return "test not started";
    }
    switch (run.result) {
        case SampleResult::Ok:
            break;
        case SampleResult::Stopped:
            return "test stopped: nothing written";
        default:
            return "test failed";
    }
    std::string text = resultText(form);
    if (run.report) {
        text += "Отчёт: " + reportOutcome(*run.report);
    }
    return text;
}

}  // namespace ecuprobe::cli
