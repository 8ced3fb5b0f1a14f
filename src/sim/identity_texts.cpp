#include "sim/identity_texts.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/code_pages.h"

namespace ecuprobe::sim {

namespace {

TextBlock block(std::string_view utf8) {
    const std::string dos = platform::utf8ToCp866(utf8);
    TextBlock out{};
    std::copy_n(dos.begin(), std::min(dos.size(), out.size()), out.begin());
    return out;
}

}  // namespace

std::optional<TextBlock> passportBlock(std::uint8_t command, std::uint8_t typeByte) {
    const bool mikas71 = typeByte == 10;
    switch (command) {
        case 0x51:
            return block(mikas71 ? "МИКАС 7.1 ЗМЗ406" : "МИКАС 5.4 ЗМЗ406");
        case 0x52:
            return block(mikas71 ? "Прогр. М71-2.03" : "Прогр. М54-1.12");
        case 0x53:
            return block("Евро-2, 4 цил.");
        case 0x54:
            return block("Калибровки ГАЗ");
        case 0x55:
            return block("ГАЗ-3110 Волга");
        case 0x56:
            return block("ДМРВ, 2 катушки");
        case 0x57:
            return block("Бензин АИ-92");
        case 0x58:
            return block("Редакция 04.01");
        default:
            return std::nullopt;
    }
}

bool isTextVariable(std::uint8_t variable) {
    return (variable >= 0x74 && variable <= 0x77) || (variable >= 0x79 && variable <= 0x7B);
}

std::optional<TextBlock> textVariable(std::uint8_t variable) {
    switch (variable) {
        case 0x74:
            return block("3110-1411020-20");
        case 0x75:
            return block("Зав.№ 0104527");
        case 0x76:
            return block("17.03.2001");
        case 0x77:
            return block("АЦП калибр. 1.00");
        case 0x79:
            return block("ЗМЗ4062 №1034917");
        case 0x7A:
            return block("ХТН311000Y012345");
        case 0x7B:
            return block("05.04.2001");
        default:
            return std::nullopt;
    }
}

}  // namespace ecuprobe::sim
