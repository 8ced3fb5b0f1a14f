#include "console/live_fields.h"

#include <algorithm>
#include <array>

namespace ecuprobe::console {

namespace {

using namespace control;

constexpr LiveField shown(std::string_view name, ControlId id, std::string_view caption) {
    return {name, id, caption, {}};
}

// A switch box shows the field; its caption is the switch's own.
constexpr LiveField switchBox(std::string_view name, ControlId id,
                              std::string_view ownCaption = {}) {
    return {name, id, {}, ownCaption};
}

constexpr LiveField none(std::string_view name) {
    return {name, 0, {}, {}};
}

constexpr std::array fields{
    shown("TWAT", TWAT, "Темп. Охл. (TWAT):"),
    shown("TAIR", TAIR, "Темп. возд. впуcк.(TAIR):"),
    shown("VALF", VALF, "Воздух/топливо (VALF):"),
    shown("THR", THR, "Пол. Дросс.Засл.(THR):"),
    shown("FREQ", FREQ, "Обороты (FREQ):"),
    none("FREQXX"),
    shown("FSM", FSM, "Пол. РХХ.(FSM):"),
    shown("COEFF1", COEFF1, "Корр.вспрыска(COEFF1):"),
    shown("COEFF2", COEFF2, "Корр.вспрыска(COEFF2):"),
    shown("UOZ", UOZ, "УОЗ гр.кв. (UOZ):"),
    shown("UOZOC", UOZOC, "Пор.УОЗ(UOZC):"),
    shown("SPD", SPD, "Скорость (SPD):"),
    shown("NUACC", NUACC, "Напряж. (NUACC):"),
    shown("INJ", INJ, "Длит. впрыска (INJ):"),
    shown("JAIR", JAIR, "Расход Воздуха (JAIR):"),
    shown("JQT", JQT, "Расход топлива (JQT):"),
    shown("JQK", JQK, "Расход топлива (JQK):"),
    none("JEGR"),
    none("JADS"),
    shown("RCOK", RCOK, "Корр. RCOK:"),
    none("RCOD"),
    none("SSM"),
    shown("UGB", UGB, "Адапт. расх.возд.(UGB):"),
    shown("FAZ", FAZ, "Фаз.сдвиг впрыска(FAZ):"),
    shown("JDMM", JDMM, "Смещ. хар-ки (JDMM):"),
    shown("LAM1", LAM1, "Напр. на L-зонде: №1:"),
    // "№2:" stands beside the first probe's box and borrows its caption.
    LiveField{"LAM2", LAM2, "№2:", "Напр. на L-зонде: №2:"},
    none("PABS"),
    shown("BDET", BDET, "Дет по цилиндрам (BDET):"),
    shown("BITSTP", BITSTP, "Призн.останов.(BITSTP):"),
    shown("RXX", RXX, "Признак Хол.Ход (RXX):"),
    shown("BLKINJ", BLKINJ, "Блок.Топл. (BLKINJ):"),
    shown("BITPOW", BITPOW, "Обогащение (BITPOW):"),
    shown("WRKLAM", WRKLAM, "Зона рег. по L-зонду:"),
    shown("RDET", RDET, "Рег. UOZ по дет.:"),
    switchBox("ADSORBER", canisterPurge),
    shown("BITATM", BITATM, "Зона барокорр.:"),
    none("TKFWR1"),
    none("TKFWR2"),
    shown("INPLAM1", INPLAM1, "L-зонд №1 Богат:"),
    none("INPLAM2"),
    shown("DET", DET, "Детонация (DET):"),
    switchBox("CHECKEIGINE", checkEngineLamp),
    switchBox("fanOn", fan),
    switchBox("airConditionerOn", airConditioner),
    switchBox("fuelPumpOn", fuelPump),
    // The coil boxes read "1:4" and "2:3" inside the console's group "Зажигание".
    switchBox("coil14On", coil14, "Зажигание 1:4:"),
    switchBox("coil23On", coil23, "Зажигание 2:3:"),
};

}  // namespace

std::span<const LiveField> liveFields() {
    return fields;
}

const LiveField* liveFieldFor(ControlId id) {
    const auto* found = std::find_if(fields.begin(), fields.end(),
                                     [id](const LiveField& field) { return field.control == id; });
    return id == 0 || found == fields.end() ? nullptr : &*found;
}

const ecu::LiveField* entryOf(const LiveField& field) {
    return ecu::findLiveField(field.name);
}

std::string fieldText(const LiveField& field, const ecu::LiveData& data) {
    const ecu::LiveField* entry = entryOf(field);
    return entry != nullptr ? ecu::liveValueText(*entry, data) : std::string();
}

std::string_view fieldUnit(const LiveField& field) {
    const ecu::LiveField* entry = entryOf(field);
    return entry != nullptr ? entry->unit : std::string_view();
}

std::string fieldCaption(const LiveField& field) {
    if (!field.ownCaption.empty()) {
        return std::string(field.ownCaption);
    }
    std::string text(field.control != 0 ? caption(field.control) : field.name);
    if (text.empty() || text.back() != ':') {
        text += ':';
    }
    return text;
}

}  // namespace ecuprobe::console
