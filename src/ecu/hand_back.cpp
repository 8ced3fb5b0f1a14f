#include "ecu/hand_back.h"

#include <algorithm>
#include <string>

#include "ecu/ecu_commands.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::string_view unconfirmed = "ЭБУ не подтвердил возврат управления: ";
constexpr std::string_view advice =
    "включите зажигание и откройте тестер снова: управление будет возвращено";

// "форсунку 1" or "форсунки 1, 3" when only injectors are owed, for "оставить
// отключённой ..."; empty otherwise.
std::string cutInjectorsOnly(const OwedControls& owed) {
    const std::uint8_t cut = owed.heldIn(injectorCutVariable);
    OwedControls others = owed;
    others.held[*OwedControls::indexOf(injectorCutVariable)] = 0;
    if (cut == 0 || !others.empty()) {
        return {};
    }
    std::string numbers;
    int count = 0;
    for (int n = 1; n <= 8; ++n) {
        if ((cut & (1u << (n - 1))) != 0) {
            numbers += (count++ == 0 ? "" : ", ") + std::to_string(n);
        }
    }
    return count == 1 ? "отключённой форсунку " + numbers : "отключёнными форсунки " + numbers;
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
        const std::uint8_t reg = outcome.registers[i];
        const std::uint8_t held = outcome.stillOwed.held[i];
        names += names.empty() ? "" : ", ";
        names += std::string(registerRole(reg)) + " (" + hexByte(reg) +
                 (held != 0 ? ": " + bitNames(reg, held) : std::string()) + ")";
    }
    return names;
}

std::string handBackWarning(const HandBackOutcome& outcome) {
    return std::string(unconfirmed) + unacknowledgedRegisters(outcome) + "; " +
           (outcome.stillOwed.empty() ? std::string("тестер ничего не удерживает")
                                      : std::string(advice)) +
           ".";
}

std::string owedWarning(const OwedControls& owed) {
    return "ЭБУ не подтвердил возврат управления. Тестер может удерживать: " + owedRegisters(owed) +
           ";\n" + std::string(advice) + ".";
}

std::string heldNote(const OwedControls& owed, const OwedControls& confirmed) {
    OwedControls sure;
    OwedControls unsure;
    for (std::size_t i = 0; i < owed.held.size(); ++i) {
        sure.held[i] = static_cast<std::uint8_t>(owed.held[i] & confirmed.held[i]);
        unsure.held[i] = static_cast<std::uint8_t>(owed.held[i] & ~confirmed.held[i]);
    }
    std::string note = sure.empty() ? std::string() : "Удерживается тестером: " + heldOutputs(sure);
    if (!unsure.empty()) {
        note += (note.empty() ? "" : ". ") + std::string("Тестер может удерживать: ") +
                heldOutputs(unsure);
    }
    return note;
}

std::string owedBeforeConnection(const OwedControls& owed, std::string_view slot) {
    if (owed.empty()) {
        return {};
    }
    constexpr std::string_view after = "управление будет возвращено при подключении.";
    const std::string injectors = cutInjectorsOnly(owed);
    if (!injectors.empty()) {
        return "Тестер мог оставить " + injectors + " на " + std::string(slot) + ": " +
               std::string(after);
    }
    return "Тестер мог оставить под своим управлением на " + std::string(slot) + ": " +
           heldOutputs(owed) + " — " + std::string(after);
}

std::string owedWhileSilent(const OwedControls& owed) {
    return owed.empty() ? std::string()
                        : "тестер может удерживать: " + heldOutputs(owed) +
                              " — управление будет возвращено, когда ЭБУ ответит";
}

std::string owedPaymentText(const OwedControls& before, const OwedControls& after) {
    OwedControls returned;
    for (std::size_t i = 0; i < before.held.size(); ++i) {
        returned.held[i] = after.held[i] == 0 ? before.held[i] : std::uint8_t{0};
    }
    std::string text;
    if (!returned.empty()) {
        text = "Управление возвращено ЭБУ: " + owedRegisters(returned) + ".";
    }
    if (!after.empty()) {
        text += (text.empty() ? "" : " ") + std::string(unconfirmed) + owedRegisters(after) + ".";
    }
    return text;
}

}  // namespace ecuprobe::ecu
