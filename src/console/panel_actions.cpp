#include "console/tester_panel.h"

#include <algorithm>
#include <optional>

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

std::optional<Output> outputOf(ControlId id) {
    using namespace control;
    switch (id) {
        case coil14:
            return Output::coil14;
        case coil23:
            return Output::coil23;
        case fuelPump:
            return Output::fuelPump;
        case checkEngineLamp:
            return Output::checkEngineLamp;
        case airConditioner:
            return Output::airConditioner;
        case fan:
            return Output::fan;
        default:
            return std::nullopt;
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
    const ecu::ExchangeBusyGuard busy;
    session.clearFaults();
    fields.faultCount = 0;
    fields.faultText.clear();
    showFields();
}

void TesterPanel::switchClicked(ControlId id) {
    using namespace control;
    std::int32_t& state = switchState(id);
    if (const std::optional<Output> output = outputOf(id)) {
        session.switchOutput(*output, state);
    } else if (id >= injector1 && id <= injector4) {
        session.switchInjector(id - injector1 + 1, state);
    } else if (id == canisterPurge) {
        session.switchCanisterPurge(state);
    } else if (id == lambdaRegulator) {
        session.switchLambdaControl(state);
    } else {
        session.switchKnockControl(state);
    }
    setChecked(id, state);
    setEnabled(releaseControls, true);
}

std::int32_t& TesterPanel::switchState(ControlId id) {
    using namespace control;
    PanelFields& f = fields;
    switch (id) {
        case injector1:
        case injector2:
        case injector3:
        case injector4:
            return f.injectorOn[static_cast<std::size_t>(id - injector1)];
        case coil14:
            return f.coil14On;
        case coil23:
            return f.coil23On;
        case fuelPump:
            return f.fuelPumpOn;
        case checkEngineLamp:
            return f.CHECKEIGINE;
        case airConditioner:
            return f.airConditionerOn;
        case fan:
            return f.fanOn;
        case canisterPurge:
            return f.ADSORBER;
        case lambdaRegulator:
            return f.lambdaControl;
        default:
            return f.knockControl;
    }
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
