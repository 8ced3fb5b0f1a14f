#include "console/panel_snapshot.h"

#include <cstdio>
#include <utility>

namespace ecuprobe::console {

namespace {

template <typename Integer>
std::pair<ControlId, std::string> integerText(ControlId id, Integer value) {
    return {id, std::to_string(value)};
}

std::pair<ControlId, std::string> floatText(ControlId id, float value) {
    return {id, formatFloat(value)};
}

void showTexts(const PanelFields& f, PanelSnapshot& shown) {
    using namespace control;
    shown.texts = {
        {statusText, f.statusText},
        {faultText, f.faultText},
        integerText(faultCount, f.faultCount),
        integerText(TWAT, f.TWAT),
        integerText(THR, f.THR),
        integerText(FREQ, f.FREQ),
        floatText(UGB, f.UGB),
        integerText(FSM, f.FSM),
        integerText(JDMM, f.JDMM),
        integerText(UOZ, f.UOZ),
        integerText(SPD, f.SPD),
        floatText(NUACC, f.NUACC),
        floatText(UOZOC, f.UOZOC),
        integerText(FAZ, f.FAZ),
        floatText(INJ, f.INJ),
        floatText(JAIR, f.JAIR),
        floatText(JQT, f.JQT),
        floatText(JQK, f.JQK),
        integerText(TAIR, f.TAIR),
        floatText(COEFF1, f.COEFF1),
        floatText(COEFF2, f.COEFF2),
        integerText(BDET, f.BDET),
        integerText(LAM1, f.LAM1),
        integerText(LAM2, f.LAM2),
        floatText(VALF, f.VALF),
        floatText(RCOK, f.RCOK),
        integerText(period, f.period),
    };
}

void showStateMarks(const PanelFields& f, PanelSnapshot& shown) {
    using namespace control;
    const std::pair<ControlId, std::int32_t> marks[] = {
        {BITPOW, f.BITPOW},   {RXX, f.RXX},
        {BLKINJ, f.BLKINJ},   {BITSTP, f.BITSTP},
        {DET, f.DET},         {WRKLAM, f.WRKLAM},
        {RDET, f.RDET},       {BITATM, f.BITATM},
        {INPLAM1, f.INPLAM1}, {control::lambdaProbe, f.lambdaProbe},
    };
    for (const auto& [id, value] : marks) {
        shown.checked[id] = value != 0;
    }
}

}  // namespace

std::string PanelSnapshot::text(ControlId id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

bool PanelSnapshot::isChecked(ControlId id) const {
    const auto found = checked.find(id);
    return found != checked.end() && found->second;
}

std::string formatFloat(float value) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*g", 6, static_cast<double>(value));
    return std::string(buffer, static_cast<std::size_t>(length));
}

void showSwitchMarks(const PanelFields& f, PanelSnapshot& shown) {
    using namespace control;
    const std::pair<ControlId, std::int32_t> marks[] = {
        {injector1, f.injectorOn[0]},
        {injector2, f.injectorOn[1]},
        {injector3, f.injectorOn[2]},
        {injector4, f.injectorOn[3]},
        {coil14, f.coil14On},
        {coil23, f.coil23On},
        {fuelPump, f.fuelPumpOn},
        {checkEngineLamp, f.CHECKEIGINE},
        {airConditioner, f.airConditionerOn},
        {canisterPurge, f.ADSORBER},
        {fan, f.fanOn},
        {lambdaRegulator, f.lambdaControl},
        {knockRegulator, f.knockControl},
    };
    for (const auto& [id, value] : marks) {
        shown.checked[id] = value != 0;
    }
}

void showFields(const PanelFields& fields, PanelSnapshot& shown) {
    showTexts(fields, shown);
    showStateMarks(fields, shown);
    showSwitchMarks(fields, shown);
}

}  // namespace ecuprobe::console
