#include "console/tester_panel.h"

#include <algorithm>

namespace ecuprobe::console {

namespace {

using ecu::Output;

bool isSwitch(ControlId id) {
    const auto switches = switchControls();
    return std::find(switches.begin(), switches.end(), id) != switches.end();
}

// Controls whose services come with later parts of the tester.
bool isLaterService(ControlId id) {
    using namespace control;
    switch (id) {
        case identify:
        case saveDump:
        case dynamicTest:
        case lossTest:
        case accelerationTest:
        case controlParameters:
        case lambdaAdaptationReset:
        case knockAdaptationReset:
            return true;
        default:
            return false;
    }
}

}  // namespace

ClickResult TesterPanel::onClick(ControlId id) {
    if (!shown.isEnabled(id)) {
        return {};
    }
    if (isLaterService(id)) {
        return {ClickOutcome::notAvailableYet, {}};
    }
    if (isSwitch(id)) {
        switchClicked(id);
        return {ClickOutcome::done, {}};
    }
    switch (id) {
        case control::start:
            return {ClickOutcome::done, onStart()};
        case control::clearFaults:
            clearFaultsClicked();
            return {ClickOutcome::done, {}};
        case control::decodeFaults: {
            ClickResult result{ClickOutcome::done, {}};
            session.faultListDecoded(result.text);
            return result;
        }
        case control::lambdaProbe:
            lambdaProbeClicked();
            return {ClickOutcome::done, {}};
        case control::releaseControls:
            onReleaseControls();
            return {ClickOutcome::done, {}};
        default:
            return {};
    }
}

void TesterPanel::clearFaultsClicked() {
    ecu::exchangeBusy = 1;
    session.clearFaults();
    fields.faultCount = 0;
    fields.faultText.clear();
    showFields();
    ecu::exchangeBusy = 0;
}

void TesterPanel::switchClicked(ControlId id) {
    using namespace control;
    PanelFields& f = fields;
    switch (id) {
        case injector1:
        case injector2:
        case injector3:
        case injector4: {
            const int n = id - injector1 + 1;
            session.switchInjector(n, f.injectorOn[static_cast<std::size_t>(n - 1)]);
            setChecked(id, f.injectorOn[static_cast<std::size_t>(n - 1)]);
            break;
        }
        case coil14:
            session.switchOutput(Output::coil14, f.coil14On);
            setChecked(id, f.coil14On);
            break;
        case coil23:
            session.switchOutput(Output::coil23, f.coil23On);
            setChecked(id, f.coil23On);
            break;
        case fuelPump:
            session.switchOutput(Output::fuelPump, f.fuelPumpOn);
            setChecked(id, f.fuelPumpOn);
            break;
        case checkEngineLamp:
            session.switchOutput(Output::checkEngineLamp, f.CHECKEIGINE);
            setChecked(id, f.CHECKEIGINE);
            break;
        case airConditioner:
            session.switchOutput(Output::airConditioner, f.airConditionerOn);
            setChecked(id, f.airConditionerOn);
            break;
        case fan:
            session.switchOutput(Output::fan, f.fanOn);
            setChecked(id, f.fanOn);
            break;
        case canisterPurge:
            session.switchCanisterPurge(f.ADSORBER);
            setChecked(id, f.ADSORBER);
            break;
        case lambdaRegulator:
            session.switchLambdaControl(f.lambdaControl);
            setChecked(id, f.lambdaControl);
            break;
        default:
            session.switchKnockControl(f.knockControl);
            setChecked(id, f.knockControl);
            break;
    }
    setEnabled(releaseControls, true);
}

void TesterPanel::lambdaProbeClicked() {
    fields.lambdaProbe = fields.lambdaProbe != 0 ? 0 : 1;
    setChecked(control::lambdaProbe, fields.lambdaProbe);
    session.setLambdaProbe(fields.lambdaProbe);
    refreshEnabledControls();
}

void TesterPanel::onReleaseControls() {
    ecu::exchangeBusy = 1;
    session.releaseControls();
    ecu::exchangeBusy = 0;
    markOutputsReleased();
    refreshActuatorBoxes();
    showFields();
    setEnabled(control::releaseControls, false);
    ecu::exchangeBusy = 0;
}

// The release wrote 0 to every control variable, so the ECU injects on every
// cylinder and drives every output again. The session's copies are set to
// that before the boxes are refreshed from them: otherwise a cut injector
// would stay unchecked and its next click would only switch it on again.
void TesterPanel::markOutputsReleased() {
    for (std::size_t n = 1; n <= 4; ++n) {
        session.injectorOn[n] = 1;
    }
    ecu::LiveData& d = session.liveData;
    d.coil14On = 1;
    d.coil23On = 1;
    d.fuelPumpOn = 1;
    d.CHECKEIGINE = 0;
    d.airConditionerOn = 0;
    d.ADSORBER = 0;
    d.fanOn = 0;
}

}  // namespace ecuprobe::console
