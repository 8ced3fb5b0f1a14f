#include "console/panel_controls.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ecuprobe::console {

namespace {

using namespace control;

constexpr std::array liveValues{TWAT,   THR,    FREQ, UGB,  FSM,  JDMM, UOZ, SPD,
                                NUACC,  UOZOC,  FAZ,  INJ,  JAIR, JQT,  JQK, TAIR,
                                COEFF1, COEFF2, BDET, LAM1, LAM2, VALF, RCOK};

constexpr std::array stateFlags{BITPOW, RXX, BLKINJ, BITSTP, DET, WRKLAM, RDET, BITATM, INPLAM1};

constexpr std::array switches{injector1,      injector2,     injector3, injector4,
                              coil14,         coil23,        fuelPump,  checkEngineLamp,
                              airConditioner, canisterPurge, fan,       lambdaRegulator,
                              knockRegulator};

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

// Sorted by identifier for the lookup.
constexpr std::pair<ControlId, std::string_view> captions[] = {
    {3, "Начать"},
    {1005, "Сброс"},
    {1008, "Декод."},
    {1010, "Темп. Охл. (TWAT):"},
    {1011, "Пол. Дросс.Засл.(THR):"},
    {1012, "Обороты (FREQ):"},
    {1013, "Адапт. расх.возд.(UGB):"},
    {1014, "Пол. РХХ.(FSM):"},
    {1015, "Смещ. хар-ки (JDMM):"},
    {1016, "УОЗ гр.кв. (UOZ):"},
    {1017, "Скорость (SPD):"},
    {1018, "Напряж. (NUACC):"},
    {1019, "Пор.УОЗ(UOZC):"},
    {1020, "Фаз.сдвиг впрыска(FAZ):"},
    {1029, "Длит. впрыска (INJ):"},
    {1030, "Расход Воздуха (JAIR):"},
    {1031, "Расход топлива (JQT):"},
    {1032, "Расход топлива (JQK):"},
    {1033, "Детонация (DET):"},
    {1034, "Блок.Топл. (BLKINJ):"},
    {1035, "Признак Хол.Ход (RXX):"},
    {1036, "Обогащение (BITPOW):"},
    {1037, "Темп. возд. впуcк.(TAIR):"},
    {1038, "Корр.вспрыска(COEFF1):"},
    {1039, "Призн.останов.(BITSTP):"},
    {1042, "Зона рег. по L-зонду:"},
    {1043, "Рег. UOZ по дет.:"},
    {1044, "Зона барокорр.:"},
    {1045, "L-зонд №1 Богат:"},
    {1046, "Корр.вспрыска(COEFF2):"},
    {1047, "Дет по цилиндрам (BDET):"},
    {1051, "Напр. на L-зонде: №1:"},
    {1052, "Воздух/топливо (VALF):"},
    {1053, "№2:"},
    {1064, "Конденцитнер"},
    {1065, "CheckEgine"},
    {1066, "Адсорбер"},
    {1067, "1"},
    {1068, "2"},
    {1069, "3"},
    {1070, "4"},
    {1071, "1:4"},
    {1072, "L-регулятор"},
    {1073, "Рег. детонации"},
    {1074, "2:3"},
    {1076, "Вентилятор"},
    {1077, "Бензонасос"},
    {1078, "Вернуть управл."},
    {1082, "Динам."},
    {1083, "Запись"},
    {1084, "Идент."},
    {1085, "Управление"},
    {1093, "L-зонд"},
    {1109, "Потерь"},
    {1110, "Ускор."},
    {1136, "Команда"},
    {1140, "Х"},
    {1141, "Х"},
    {1142, "Корр. RCOK:"},
};

}  // namespace

std::span<const ControlId> liveValueControls() {
    return liveValues;
}
std::span<const ControlId> stateFlagControls() {
    return stateFlags;
}
std::span<const ControlId> switchControls() {
    return switches;
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
    const auto* found = std::lower_bound(std::begin(captions), std::end(captions), id,
                                         [](const std::pair<ControlId, std::string_view>& entry,
                                            ControlId key) { return entry.first < key; });
    if (found == std::end(captions) || found->first != id) {
        return {};
    }
    return found->second;
}

}  // namespace ecuprobe::console
