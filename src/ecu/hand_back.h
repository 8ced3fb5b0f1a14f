#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ecuprobe::ecu {

// What the last return of control achieved, register by register. A register
// counts as handed back when the ECU acknowledged its first write or the repeat;
// a mechanic must never be told that an injector cut is undone when it is not.
struct HandBackOutcome {
    // Control variables 0x09..0x0E, in the order they are handed back.
    static constexpr std::array<std::uint8_t, 6> registers{0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};

    bool attempted = false;
    std::array<bool, registers.size()> acknowledged{};

    bool complete() const;
};

// "выходы (0x09), форсунки (0x0D)": the registers the ECU did not acknowledge.
std::string unacknowledgedRegisters(const HandBackOutcome& outcome);

// The one-line warning every face of the tester shows when the hand-back was not
// complete: "ЭБУ не подтвердил возврат управления: форсунки (0x0D)."
std::string handBackWarning(const HandBackOutcome& outcome);

}  // namespace ecuprobe::ecu
