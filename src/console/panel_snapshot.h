#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "console/link_indicator.h"
#include "console/panel_controls.h"
#include "ecu/live_fields.h"

namespace ecuprobe::console {

// The values behind the console's controls. The panel fills them from the
// session; showFields() puts them on screen.
struct PanelFields {
    std::string statusText;
    std::string faultText;
    std::uint32_t faultCount = 0;

    // The live values and state flags shown: the session's LiveData as of the
    // last successful read.
    ecu::LiveData live;

    // Poll period in seconds as the period box holds it.
    std::int32_t period = 2;

    // The console's state of each switch box, 0 or 1, which the session's switch
    // operations take by reference.
    std::int32_t injector1On = 1;
    std::int32_t injector2On = 1;
    std::int32_t injector3On = 1;
    std::int32_t injector4On = 1;
    std::int32_t coil14On = 1;
    std::int32_t coil23On = 1;
    std::int32_t fuelPumpOn = 0;
    std::int32_t CHECKEIGINE = 0;
    std::int32_t airConditionerOn = 0;
    std::int32_t ADSORBER = 0;
    std::int32_t fanOn = 0;
    std::int32_t lambdaControl = 1;
    std::int32_t knockControl = 1;
    std::int32_t lambdaProbe = 1;
};

// What a view shows: every text already formatted as the console shows it, the
// check marks and which controls are enabled. Plain data, so the link thread can
// post a copy to the GUI thread after each tick or service.
struct PanelSnapshot {
    // Every edit box by its control: live values, status (1023), fault line
    // (1006), fault count (1022) and period (1040).
    std::map<ControlId, std::string> texts;
    std::map<ControlId, bool> checked;
    std::set<ControlId> enabled;
    // Index of the selected COM entry, -1 while none is selected.
    int comSelection = -1;
    int periodUpDown = 2;
    std::uint32_t periodMs = 1000;
    bool timerRunning = false;
    // The connection's state beside the status field: connected, or why not
    // and what to check.
    LinkIndicator link;
    // While the tester may still hold controls over the ECU (overrides not yet
    // handed back, or whose return the ECU has not confirmed): the line beside
    // the switches that names them, and the switch boxes concerned. Their check
    // marks show what the ECU may hold: a cut injector unchecked, and while the
    // ECU is silent an output in the state the tester left it.
    std::string heldNote;
    std::set<ControlId> held;

    std::string text(ControlId id) const;
    bool isChecked(ControlId id) const;
    bool isEnabled(ControlId id) const { return enabled.contains(id); }

    bool operator==(const PanelSnapshot&) const = default;
};

// The shortest "%.*g" form with 6 significant digits: 5 -> "5", 0.375 -> "0.375".
using ecu::formatFloat;

// Sets every text and check mark of the snapshot from its field.
void showFields(const PanelFields& fields, PanelSnapshot& shown);

// Sets the check marks of the switch boxes (injectors, coils, outputs,
// regulators) from their fields, leaving everything else as shown.
void showSwitchMarks(const PanelFields& fields, PanelSnapshot& shown);

}  // namespace ecuprobe::console
