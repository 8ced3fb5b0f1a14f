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
    showRelease();
    return result;
}

ClickResult TesterPanel::routeClick(ControlId id) {
    if (findSwitch(id) != nullptr) {
        switchClicked(id);
        return done();
    }
    switch (id) {
        case control::start:
            return done(onStart());
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
    session.markOutputsReleased();
    refreshActuatorBoxes();
    showFields();
    showRelease();
}

}  // namespace ecuprobe::console
