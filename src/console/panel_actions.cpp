#include "console/panel_switches.h"
#include "console/tester_panel.h"

namespace ecuprobe::console {

namespace {

ClickResult done(std::string text = {}) {
    ClickResult result;
    result.outcome = ClickOutcome::done;
    result.text = std::move(text);
    return result;
}

ClickResult opens(DialogKind dialog) {
    ClickResult result = done();
    result.dialog = dialog;
    return result;
}

}  // namespace

ClickResult TesterPanel::onClick(ControlId id) {
    if (!shown.isEnabled(id)) {
        return {};
    }
    ClickResult result = routeClick(id);
    keepReleaseWhileOwed();
    return result;
}

ClickResult TesterPanel::routeClick(ControlId id) {
    if (findSwitch(id) != nullptr) {
        switchClicked(id);
        return done();
    }
    switch (id) {
        case control::start: {
            ClickResult result = done(onStart());
            result.portFailure = session.openFailure();
            return result;
        }
        case control::clearFaults:
            clearFaultsClicked();
            return done();
        case control::decodeFaults: {
            ClickResult result = done();
            session.faultListDecoded(result.text);
            return result;
        }
        case control::identify:
            return identifyClicked();
        case control::controlParameters:
            return opens(DialogKind::controlParameters);
        case control::dynamicTest:
            return opens(DialogKind::dynamicTest);
        case control::accelerationTest:
            return opens(DialogKind::accelerationTest);
        case control::lossTest:
            return opens(DialogKind::lossTest);
        case control::saveDump:
            return saveDumpClicked();
        case control::lambdaAdaptationReset:
        case control::knockAdaptationReset:
            return adaptationResetClicked(id);
        case control::lambdaProbe:
            lambdaProbeClicked();
            return done();
        case control::releaseControls:
            onReleaseControls();
            return done();
        default:
            return {};
    }
}

void TesterPanel::clearFaultsClicked() {
    const ecu::ExchangeBusyGuard busy;
    session.clearFaults();
    fields.faultCount = 0;
    fields.faultText.clear();
    showFields();
}

void TesterPanel::switchClicked(ControlId id) {
    const SwitchControl& row = *findSwitch(id);
    std::int32_t& state = fields.*row.state;
    row.operate(session, state);
    setChecked(id, state);
    setEnabled(control::releaseControls, true);
}

void TesterPanel::lambdaProbeClicked() {
    fields.lambdaProbe = fields.lambdaProbe != 0 ? 0 : 1;
    setChecked(control::lambdaProbe, fields.lambdaProbe);
    session.setLambdaProbe(fields.lambdaProbe);
    refreshEnabledControls();
}

void TesterPanel::onReleaseControls() {
    {
        const ecu::ExchangeBusyGuard busy;
        session.releaseControls();
    }
    markOutputsReleased();
    refreshActuatorBoxes();
    showFields();
    setEnabled(control::releaseControls, false);
    keepReleaseWhileOwed();
}

// The release wrote 0 to every control variable, so the ECU injects on every
// cylinder and drives every output again. The session's copies are set to
// that before the boxes are refreshed from them: otherwise a cut injector
// would stay unchecked and its next click would only switch it on again.
void TesterPanel::markOutputsReleased() {
    for (const SwitchControl& row : switchTable()) {
        if (row.recorded != nullptr) {
            row.recorded(session) = row.released;
        }
    }
}

}  // namespace ecuprobe::console
