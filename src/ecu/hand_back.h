#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ecu/owed_controls.h"

namespace ecuprobe::ecu {

// What the last return of control achieved, register by register. A register
// counts as handed back when the ECU acknowledged its first write or the repeat;
// a mechanic must never be told that an injector cut is undone when it is not.
struct HandBackOutcome {
    // Control variables 0x09..0x0E, in the order they are handed back.
    static constexpr auto& registers = OwedControls::registers;

    bool attempted = false;
    std::array<bool, registers.size()> acknowledged{};
    // What the tester may still hold over the ECU afterwards.
    OwedControls stillOwed;

    bool complete() const;
};

// "выходы (0x09), форсунки (0x0D: форсунка 1)": the registers the ECU did not
// acknowledge, with what the tester may still hold in them.
std::string unacknowledgedRegisters(const HandBackOutcome& outcome);

// The one-line warning every face of the tester shows when the hand-back was not
// complete: "ЭБУ не подтвердил возврат управления: форсунки (0x0D: форсунка 1);
// включите зажигание и откройте тестер снова: управление будет возвращено." When
// the tester held nothing, it says so instead of the advice.
std::string handBackWarning(const HandBackOutcome& outcome);

// The window's warning when it closes while the tester may still hold controls.
inline constexpr std::string_view owedWarningTitle = "Управление не возвращено ЭБУ";
std::string owedWarning(const OwedControls& owed);

// Beside the console's switches while anything is owed: "Удерживается
// тестером: форсунка 1" for what the ECU acknowledged holding (confirmed), and
// "Тестер может удерживать: вентилятор" for what it may or may not; empty when
// nothing is owed.
std::string heldNote(const OwedControls& owed, const OwedControls& confirmed);

// Before a connection, what a port owes from an earlier run: "Тестер мог
// оставить отключённой форсунку 1 на COM1: управление будет возвращено при
// подключении."; empty when nothing is owed.
std::string owedBeforeConnection(const OwedControls& owed, std::string_view slot);

// With a silence, what the tester may still hold and when it goes back:
// "тестер может удерживать: форсунка 1 — управление будет возвращено, когда ЭБУ
// ответит"; empty when nothing is owed.
std::string owedWhileSilent(const OwedControls& owed);

// What paying the owed controls on a new connection achieved: "Управление
// возвращено ЭБУ: форсунки (0x0D: форсунка 1)." and, for what stays owed, "ЭБУ
// не подтвердил возврат управления: ...".
std::string owedPaymentText(const OwedControls& before, const OwedControls& after);

}  // namespace ecuprobe::ecu
