#include "console/panel_controls.h"

#include <algorithm>
#include <array>
#include <utility>

#include "console/panel_switches.h"

namespace ecuprobe::console {

namespace {

using namespace control;

constexpr std::array<LiveControl, 23> liveValues{{
    {TWAT, "TWAT", "Темп. Охл. (TWAT):"},
    {THR, "THR", "Пол. Дросс.Засл.(THR):"},
    {FREQ, "FREQ", "Обороты (FREQ):"},
    {UGB, "UGB", "Адапт. расх.возд.(UGB):"},
    {FSM, "FSM", "Пол. РХХ.(FSM):"},
    {JDMM, "JDMM", "Смещ. хар-ки (JDMM):"},
    {UOZ, "UOZ", "УОЗ гр.кв. (UOZ):"},
    {SPD, "SPD", "Скорость (SPD):"},
    {NUACC, "NUACC", "Напряж. (NUACC):"},
    {UOZOC, "UOZOC", "Пор.УОЗ(UOZC):"},
    {FAZ, "FAZ", "Фаз.сдвиг впрыска(FAZ):"},
    {INJ, "INJ", "Длит. впрыска (INJ):"},
    {JAIR, "JAIR", "Расход Воздуха (JAIR):"},
    {JQT, "JQT", "Расход топлива (JQT):"},
    {JQK, "JQK", "Расход топлива (JQK):"},
    {TAIR, "TAIR", "Темп. возд. впуcк.(TAIR):"},
    {COEFF1, "COEFF1", "Корр.вспрыска(COEFF1):"},
    {COEFF2, "COEFF2", "Корр.вспрыска(COEFF2):"},
    {BDET, "BDET", "Дет по цилиндрам (BDET):"},
    {LAM1, "LAM1", "Напр. на L-зонде: №1:"},
    {LAM2, "LAM2", "№2:"},
    {VALF, "VALF", "Воздух/топливо (VALF):"},
    {RCOK, "RCOK", "Корр. RCOK:"},
}};

constexpr std::array<LiveControl, 9> stateFlags{{
    {BITPOW, "BITPOW", "Обогащение (BITPOW):"},
    {RXX, "RXX", "Признак Хол.Ход (RXX):"},
    {BLKINJ, "BLKINJ", "Блок.Топл. (BLKINJ):"},
    {BITSTP, "BITSTP", "Призн.останов.(BITSTP):"},
    {DET, "DET", "Детонация (DET):"},
    {WRKLAM, "WRKLAM", "Зона рег. по L-зонду:"},
    {RDET, "RDET", "Рег. UOZ по дет.:"},
    {BITATM, "BITATM", "Зона барокорр.:"},
    {INPLAM1, "INPLAM1", "L-зонд №1 Богат:"},
}};

template <std::size_t N>
constexpr std::array<ControlId, N> idsOf(const std::array<LiveControl, N>& rows) {
    std::array<ControlId, N> ids{};
    std::transform(rows.begin(), rows.end(), ids.begin(),
                   [](const LiveControl& row) { return row.id; });
    return ids;
}

constexpr auto liveValueIds = idsOf(liveValues);
constexpr auto stateFlagIds = idsOf(stateFlags);

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

std::string_view captionIn(std::span<const LiveControl> rows, ControlId id) {
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [id](const LiveControl& row) { return row.id == id; });
    return found == rows.end() ? std::string_view() : found->caption;
}

}  // namespace

std::span<const LiveControl> liveValueBoxes() {
    return liveValues;
}
std::span<const LiveControl> stateFlagBoxes() {
    return stateFlags;
}
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
    for (const auto rows : {liveValueBoxes(), stateFlagBoxes()}) {
        if (const std::string_view text = captionIn(rows, id); !text.empty()) {
            return text;
        }
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
