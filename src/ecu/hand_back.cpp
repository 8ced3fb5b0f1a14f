#include "ecu/hand_back.h"

#include <algorithm>
#include <string_view>

namespace ecuprobe::ecu {

namespace {

constexpr std::array<std::string_view, HandBackOutcome::registers.size()> registerRoles{
    "выходы", "маска выходов", "параметры", "параметры", "форсунки", "регуляторы"};

std::string hexByte(std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[value >> 4], digits[value & 0x0F]};
}

}  // namespace

bool HandBackOutcome::complete() const {
    return attempted &&
           std::all_of(acknowledged.begin(), acknowledged.end(), [](bool acked) { return acked; });
}

std::string unacknowledgedRegisters(const HandBackOutcome& outcome) {
    std::string names;
    for (std::size_t i = 0; i < outcome.registers.size(); ++i) {
        if (outcome.acknowledged[i]) {
            continue;
        }
        if (!names.empty()) {
            names += ", ";
        }
        names += std::string(registerRoles[i]) + " (" + hexByte(outcome.registers[i]) + ")";
    }
    return names;
}

std::string handBackWarning(const HandBackOutcome& outcome) {
    return "ЭБУ не подтвердил возврат управления: " + unacknowledgedRegisters(outcome) + ".";
}

}  // namespace ecuprobe::ecu
