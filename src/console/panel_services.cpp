// The console's dialogs and questions: identification, control parameters, the
// adaptation resets, the measured tests and the state report.
#include "console/acceleration_test_form.h"
#include "console/dynamic_test_form.h"
#include "console/loss_test_form.h"
#include "console/tester_panel.h"
#include "reports/tester_dump.h"

namespace ecuprobe::console {

namespace {

constexpr std::string_view resetQuestionCaption = "Очистка таблицы.";
constexpr std::string_view lambdaResetQuestion =
    "Вы действительно хотите очистить таблицу адоптации Лямда зонда?";
constexpr std::string_view knockResetQuestion =
    "Вы действительно хотите очистить таблицу адоптации датчика детонации?";

}  // namespace

// The texts are read once per connection; the equipment on every opening.
ClickResult TesterPanel::identifyClicked() {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    if (session.readIdentity() != 0) {
        std::string equipment;
        session.readEquipment(equipment);
        result.dialog = DialogKind::identification;
        result.identification = identificationContent(session.identity, std::move(equipment));
    }
    showStatus();
    return result;
}

ControlParameterForm TesterPanel::controlParameterForm() const {
    return ControlParameterForm(session.liveData);
}

ParameterCheck TesterPanel::applyControlParameters(ControlParameterForm& form) {
    ParameterCheck check = form.apply(session, prompts);
    if (check.valid()) {
        setEnabled(control::releaseControls, true);
        showStatus();
    }
    return check;
}

// The question is open while the poll runs on: the reset holds exchangeBusy only
// for its own exchange.
void TesterPanel::adaptationResetClicked(ControlId id) {
    const bool lambda = id == control::lambdaAdaptationReset;
    if (!prompts.askYesNo(resetQuestionCaption, lambda ? lambdaResetQuestion : knockResetQuestion,
                          true)) {
        return;
    }
    if (lambda) {
        session.clearLambdaAdaptation();
    } else {
        session.clearKnockAdaptation();
    }
    showStatus();
}

std::unique_ptr<MeasuredTestForm> TesterPanel::testForm(DialogKind kind) {
    switch (kind) {
        case DialogKind::dynamicTest:
            return std::make_unique<DynamicTestForm>(session, prompts);
        case DialogKind::accelerationTest:
            return std::make_unique<AccelerationTestForm>(session, prompts);
        case DialogKind::lossTest:
            return std::make_unique<MechanicalLossTestForm>(session, prompts);
        default:
            return nullptr;
    }
}

TestRun TesterPanel::runTest(MeasuredTestForm& form, measure::TestSampler& sampler) {
    const TestRun run = form.run(sampler);
    showStatus();
    return run;
}

ClickResult TesterPanel::saveDumpClicked() {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    result.report = reports::TesterDump(session, prompts).saveStateReport();
    showStatus();
    return result;
}

void TesterPanel::showStatus() {
    fields.statusText = session.statusText;
    shown.texts[control::statusText] = fields.statusText;
}

}  // namespace ecuprobe::console
