#include "ecu/ecu_identity.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/code_pages.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::size_t blockLength = 16;

struct EquipmentBit {
    std::uint8_t byte;
    std::uint8_t bit;
    std::string_view text;
};

constexpr EquipmentBit speedSensor{0, 6, "\r\nдатчик скорости, "};

constexpr std::array<EquipmentBit, 31> equipmentBits{{
    {0, 0, "постоянное питание блока, "},
    {0, 1, "\r\nL-зонд, "},
    {0, 2, "\r\nдатчик детонации, "},
    {0, 3, "\r\nдатчик температуры воздуха, "},
    {0, 4, "\r\nдатчик фазы, "},
    {0, 5, "\r\nпозиц.датчика фазы в створе датчика ВМТ, "},
    speedSensor,
    {0, 7, "\r\nдатчик RCO, "},
    {1, 0, "\r\nпротивобуксовочная системой, "},
    {1, 1, "\r\nдатчик положения клапана EGR, "},
    {1, 2, "\r\nдатчик положения клапана ADS, "},
    {1, 3, "\r\nдатчик давления усилителя руля, "},
    {2, 0, "\r\nэнергонезависимая память IROM, "},
    {2, 1, "\r\nисп. коррекции АЦП из IROM, "},
    {2, 2, "\r\nиммобилизатор, "},
    {2, 3, "\r\nисп. RCO из IROM, "},
    {2, 4, "\r\nпостоянное включение топлива, "},
    {2, 5, "\r\nасинхронная подача при повторном пуске, "},
    {2, 6, "\r\nадапт. нуля дросселя, "},
    {2, 7, "\r\nадапт. уставки частоты вращения ХХ, "},
    {3, 0, "\r\nадапт. уставки расхода воздуха, "},
    {4, 0, "\r\nлампа неисправности, "},
    {4, 1, "\r\nуправление бензонасосом, "},
    {4, 2, "\r\nпусковая форсункой, "},
    {4, 3, "\r\nклапан рециркуляции, "},
    {4, 4, "\r\nадсорбер, "},
    {4, 5, "\r\nтахометр, "},
    {4, 6, "\r\nиндикатор расхода топлива, "},
    {4, 7, "\r\nкондиционер , "},
    {5, 0, "\r\nвентилятор, "},
    {5, 1, "\r\nклапаном ПРЗ, "},
}};

bool isSet(std::span<const std::uint8_t> bytes, const EquipmentBit& entry) {
    return entry.byte < bytes.size() && ((bytes[entry.byte] >> entry.bit) & 1u) != 0;
}

}  // namespace

void EcuIdentity::clearTexts() {
    for (std::string* text : {&programPassport, &dataPassport, &modification, &serialNumber,
                              &ecuDate, &adcCalibration, &engineNumber, &bodyNumber, &carDate}) {
        text->clear();
    }
    unansweredTexts.clear();
}

std::string identityBlock(std::span<const std::uint8_t> data) {
    const auto head = data.first(std::min(data.size(), blockLength));
    const auto end = std::find(head.begin(), head.end(), std::uint8_t{0});
    return platform::cp866ToUtf8(std::string(head.begin(), end));
}

std::string equipmentText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const EquipmentBit& entry : equipmentBits) {
        if (isSet(bytes, entry)) {
            text += entry.text;
        }
    }
    return text;
}

bool isEquipmentItem(std::string_view line) {
    return std::any_of(equipmentBits.begin(), equipmentBits.end(),
                       [line](const EquipmentBit& entry) {
                           std::string_view text = entry.text;
                           if (text.starts_with("\r\n")) {
                               text.remove_prefix(2);
                           }
                           return text == line;
                       });
}

bool speedSensorFitted(std::span<const std::uint8_t> bytes) {
    return isSet(bytes, speedSensor);
}

}  // namespace ecuprobe::ecu
