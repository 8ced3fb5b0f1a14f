// The console's dialogs and questions: identification, control parameters and
// the adaptation resets.
#include "console/tester_panel.h"

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

void TesterPanel::showStatus() {
    fields.statusText = session.statusText;
    shown.texts[control::statusText] = fields.statusText;
}

}  // namespace ecuprobe::console
