#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "console/panel_controls.h"

namespace ecuprobe::console {

// The values behind the console's controls, typed as the console keeps them.
// The panel fills them from the session; showFields() puts them on screen.
struct PanelFields {
    std::string statusText;
    std::string faultText;
    std::uint32_t faultCount = 0;

    std::int16_t TWAT = 0;
    std::uint32_t THR = 0;
    std::uint32_t FREQ = 0;
    float UGB = 0;
    std::uint32_t FSM = 0;
    std::uint32_t JDMM = 0;
    std::int32_t UOZ = 0;
    std::uint32_t SPD = 0;
    float NUACC = 0;
    float UOZOC = 0;
    std::uint32_t FAZ = 0;
    float INJ = 0;
    float JAIR = 0;
    float JQT = 0;
    float JQK = 0;
    std::int32_t TAIR = 0;
    float COEFF1 = 0;
    float COEFF2 = 0;
    std::uint32_t BDET = 0;
    std::uint32_t LAM1 = 0;
    std::uint32_t LAM2 = 0;
    float VALF = 0;
    float RCOK = 0;

    // Poll period in seconds as the period box holds it.
    std::int32_t period = 2;

    // Check boxes, 0 or 1. The switch boxes hold the console's state of each
    // switch, which the session's switch operations take by reference.
    std::int32_t BITPOW = 0;
    std::int32_t RXX = 0;
    std::int32_t BLKINJ = 0;
    std::int32_t BITSTP = 0;
    std::int32_t DET = 0;
    std::int32_t WRKLAM = 0;
    std::int32_t RDET = 0;
    std::int32_t BITATM = 0;
    std::int32_t INPLAM1 = 0;
    std::array<std::int32_t, 4> injectorOn{1, 1, 1, 1};
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
    // Beside the status field, which keeps what the poll cycle puts there: the
    // adapter gone ("адаптер отключён: <path>") or the ECU silent ("ЭБУ не отвечает").
    std::string linkNote;

    std::string text(ControlId id) const;
    bool isChecked(ControlId id) const;
    bool isEnabled(ControlId id) const { return enabled.contains(id); }

    bool operator==(const PanelSnapshot&) const = default;
};

// The shortest "%.*g" form with 6 significant digits: 5 -> "5", 0.375 -> "0.375".
std::string formatFloat(float value);

// Sets every text and check mark of the snapshot from its field.
void showFields(const PanelFields& fields, PanelSnapshot& shown);

// Sets the check marks of the switch boxes (injectors, coils, outputs,
// regulators) from their fields, leaving everything else as shown.
void showSwitchMarks(const PanelFields& fields, PanelSnapshot& shown);

}  // namespace ecuprobe::console
