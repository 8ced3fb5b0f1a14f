#include "console/panel_controls.h"

#include <algorithm>
#include <array>
#include <utility>

#include "console/live_fields.h"
#include "console/panel_switches.h"

namespace ecuprobe::console {

namespace {

using namespace control;

// The edit boxes of the live values and the check boxes of the state flags, in
// the order of the dialog; their fields and captions are in liveFields().
constexpr std::array liveValueIds{TWAT,   THR,    FREQ, UGB,  FSM,  JDMM, UOZ, SPD,
                                  NUACC,  UOZOC,  FAZ,  INJ,  JAIR, JQT,  JQK, TAIR,
                                  COEFF1, COEFF2, BDET, LAM1, LAM2, VALF, RCOK};
constexpr std::array stateFlagIds{BITPOW, RXX, BLKINJ, BITSTP, DET, WRKLAM, RDET, BITATM, INPLAM1};

constexpr std::array commands{clearFaults,
                              decodeFaults,
                              identify,
                              lossTest,
                              saveDump,
                              dynamicTest,
                              controlParameters,
                              injector1,
                              injector2,
                              injector3,
                              injector4,
                              coil14,
                              coil23,
                              fuelPump,
                              checkEngineLamp,
                              airConditioner,
                              canisterPurge,
                              fan,
                              accelerationTest,
                              lambdaAdaptationReset,
                              knockAdaptationReset,
                              knockRegulator,
                              lambdaRegulator};

// The buttons, sorted by identifier for the lookup; the boxes of values, flags
// and switches carry their captions in their own tables.
constexpr std::pair<ControlId, std::string_view> buttonCaptions[] = {
    {3, "Начать"},    {1005, "Сброс"},  {1008, "Декод."}, {1078, "Вернуть управл."},
    {1082, "Динам."}, {1083, "Запись"}, {1084, "Идент."}, {1085, "Управление"},
    {1093, "L-зонд"}, {1109, "Потерь"}, {1110, "Ускор."}, {1136, "Команда"},
    {1140, "Х"},      {1141, "Х"},
};

}  // namespace

std::span<const ControlId> liveValueControls() {
    return liveValueIds;
}
std::span<const ControlId> stateFlagControls() {
    return stateFlagIds;
}
std::span<const ControlId> commandControls() {
    return commands;
}

bool needsLambdaProbe(ControlId id) {
    return id == injector2 || id == injector3 || id == injector4;
}

bool isHidden(ControlId id) {
    return id == lambdaProbe;
}

std::string_view caption(ControlId id) {
    if (const LiveField* field = liveFieldFor(id); field != nullptr && !field->caption.empty()) {
        return field->caption;
    }
    if (const SwitchControl* row = findSwitch(id)) {
        return row->caption;
    }
    const auto* found = std::lower_bound(std::begin(buttonCaptions), std::end(buttonCaptions), id,
                                         [](const std::pair<ControlId, std::string_view>& entry,
                                            ControlId key) { return entry.first < key; });
    if (found == std::end(buttonCaptions) || found->first != id) {
        return {};
    }
    return found->second;
}

}  // namespace ecuprobe::console
