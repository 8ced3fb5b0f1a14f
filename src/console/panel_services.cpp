// The console's dialogs and questions: identification, control parameters, the
// adaptation resets, the measured tests and the state report.
#include "console/tester_panel.h"
#include "reports/tester_dump.h"

namespace ecuprobe::console {

ClickResult TesterPanel::identifyClicked() {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    IdentificationRead read = readIdentification(session);
    result.identification = std::move(read.content);
    result.unanswered = std::move(read.unanswered);
    if (result.identification) {
        result.dialog = DialogKind::identification;
    }
    showStatus();
    return result;
}

ControlParameterForm TesterPanel::controlParameterForm() const {
    return ControlParameterForm(session.liveData());
}

ParameterCheck TesterPanel::applyControlParameters(ControlParameterForm& form) {
    ParameterCheck check = form.apply(session, prompts);
    if (check.valid()) {
        showRelease();
        showStatus();
    }
    return check;
}

ClickResult TesterPanel::adaptationResetClicked(ControlId id) {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    result.reset = resetAdaptation(
        id == control::lambdaAdaptationReset ? AdaptationTable::lambda : AdaptationTable::knock,
        session, prompts);
    showStatus();
    return result;
}

const RunDescriptor* measuredRun(DialogKind kind) {
    switch (kind) {
        case DialogKind::dynamicTest:
            return &dynamicRun;
        case DialogKind::accelerationTest:
            return &accelerationRun;
        case DialogKind::lossTest:
            return &lossRun;
        default:
            return nullptr;
    }
}

std::unique_ptr<MeasuredForm> TesterPanel::testForm(DialogKind kind) {
    const RunDescriptor* test = measuredRun(kind);
    return test != nullptr ? std::make_unique<MeasuredForm>(*test, session, prompts) : nullptr;
}

TestRun TesterPanel::runTest(MeasuredForm& form, measure::TestSampler& sampler) {
    const TestRun run = form.run(sampler);
    showStatus();
    return run;
}

ClickResult TesterPanel::saveDumpClicked() {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    reports::TesterDump dump(session, prompts);
    result.report = dump.saveStateReport();
    result.unanswered = dump.unanswered();
    showStatus();
    return result;
}

void TesterPanel::showStatus() {
    fields.statusText = sessionStatus();
    shown.texts[control::statusText] = fields.statusText;
}

}  // namespace ecuprobe::console
