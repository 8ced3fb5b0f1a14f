#include "console/live_fields.h"

#include <array>

#include "console/panel_snapshot.h"

namespace ecuprobe::console {

namespace {

using ecu::LiveData;

template <auto member>
std::string integerOf(const LiveData& data) {
    return std::to_string(data.*member);
}

template <auto member>
std::string floatOf(const LiveData& data) {
    return formatFloat(data.*member);
}

constexpr LiveField none(std::string_view name, std::string_view unit,
                         std::string (*format)(const LiveData&)) {
    return {name, 0, {}, unit, format};
}

const std::array fields{
    LiveField{"TWAT", control::TWAT, {}, "°C", integerOf<&LiveData::TWAT>},
    LiveField{"TAIR", control::TAIR, {}, "°C", integerOf<&LiveData::TAIR>},
    LiveField{"VALF", control::VALF, {}, "", floatOf<&LiveData::VALF>},
    LiveField{"THR", control::THR, {}, "%", integerOf<&LiveData::THR>},
    LiveField{"FREQ", control::FREQ, {}, "об/мин", integerOf<&LiveData::FREQ>},
    none("FREQXX", "об/мин", integerOf<&LiveData::FREQXX>),
    LiveField{"FSM", control::FSM, {}, "шаг", integerOf<&LiveData::FSM>},
    LiveField{"COEFF1", control::COEFF1, {}, "", floatOf<&LiveData::COEFF1>},
    LiveField{"COEFF2", control::COEFF2, {}, "", floatOf<&LiveData::COEFF2>},
    LiveField{"UOZ", control::UOZ, {}, "°", integerOf<&LiveData::UOZ>},
    LiveField{"UOZOC", control::UOZOC, {}, "°", floatOf<&LiveData::UOZOC>},
    LiveField{"SPD", control::SPD, {}, "км/ч", integerOf<&LiveData::SPD>},
    LiveField{"NUACC", control::NUACC, {}, "В", floatOf<&LiveData::NUACC>},
    LiveField{"INJ", control::INJ, {}, "мс", floatOf<&LiveData::INJ>},
    LiveField{"JAIR", control::JAIR, {}, "кг/ч", floatOf<&LiveData::JAIR>},
    LiveField{"JQT", control::JQT, {}, "л/ч", floatOf<&LiveData::JQT>},
    LiveField{"JQK", control::JQK, {}, "л/100км", floatOf<&LiveData::JQK>},
    none("JEGR", "%", integerOf<&LiveData::JEGR>),
    none("JADS", "%", integerOf<&LiveData::JADS>),
    LiveField{"RCOK", control::RCOK, {}, "", floatOf<&LiveData::RCOK>},
    none("RCOD", "", floatOf<&LiveData::RCOD>),
    none("SSM", "шаг", integerOf<&LiveData::SSM>),
    LiveField{"UGB", control::UGB, {}, "кг/ч", floatOf<&LiveData::UGB>},
    LiveField{"FAZ", control::FAZ, {}, "°", integerOf<&LiveData::FAZ>},
    LiveField{"JDMM", control::JDMM, {}, "шаг", integerOf<&LiveData::JDMM>},
    LiveField{"LAM1", control::LAM1, {}, "мВ", integerOf<&LiveData::LAM1>},
    // On the console "№2:" stands beside the first probe's box and borrows its caption.
    LiveField{"LAM2", control::LAM2, "Напр. на L-зонде: №2:", "мВ", integerOf<&LiveData::LAM2>},
    none("PABS", "", integerOf<&LiveData::PABS>),
    LiveField{"BDET", control::BDET, {}, "", integerOf<&LiveData::BDET>},
    LiveField{"BITSTP", control::BITSTP, {}, "", integerOf<&LiveData::BITSTP>},
    LiveField{"RXX", control::RXX, {}, "", integerOf<&LiveData::RXX>},
    LiveField{"BLKINJ", control::BLKINJ, {}, "", integerOf<&LiveData::BLKINJ>},
    LiveField{"BITPOW", control::BITPOW, {}, "", integerOf<&LiveData::BITPOW>},
    LiveField{"WRKLAM", control::WRKLAM, {}, "", integerOf<&LiveData::WRKLAM>},
    LiveField{"RDET", control::RDET, {}, "", integerOf<&LiveData::RDET>},
    LiveField{"ADSORBER", control::canisterPurge, {}, "", integerOf<&LiveData::ADSORBER>},
    LiveField{"BITATM", control::BITATM, {}, "", integerOf<&LiveData::BITATM>},
    none("TKFWR1", "", integerOf<&LiveData::TKFWR1>),
    none("TKFWR2", "", integerOf<&LiveData::TKFWR2>),
    LiveField{"INPLAM1", control::INPLAM1, {}, "", integerOf<&LiveData::INPLAM1>},
    none("INPLAM2", "", integerOf<&LiveData::INPLAM2>),
    LiveField{"DET", control::DET, {}, "", integerOf<&LiveData::DET>},
    LiveField{"CHECKEIGINE", control::checkEngineLamp, {}, "", integerOf<&LiveData::CHECKEIGINE>},
    LiveField{"fanOn", control::fan, {}, "", integerOf<&LiveData::fanOn>},
    LiveField{"airConditionerOn",
              control::airConditioner,
              {},
              "",
              integerOf<&LiveData::airConditionerOn>},
    LiveField{"fuelPumpOn", control::fuelPump, {}, "", integerOf<&LiveData::fuelPumpOn>},
    // The coil boxes read "1:4" and "2:3" inside the console's group "Зажигание".
    LiveField{"coil14On", control::coil14, "Зажигание 1:4:", "", integerOf<&LiveData::coil14On>},
    LiveField{"coil23On", control::coil23, "Зажигание 2:3:", "", integerOf<&LiveData::coil23On>},
};

}  // namespace

std::span<const LiveField> liveFields() {
    return fields;
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
