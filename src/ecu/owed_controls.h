#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ecuprobe::ecu {

// What the tester may still hold over the ECU: for each control register
// 0x09..0x0E, the bits it wrote there whose return the ECU has not confirmed.
// A register with no bits is not owed.
struct OwedControls {
    // Control variables 0x09..0x0E, in the order they are handed back.
    static constexpr std::array<std::uint8_t, 6> registers{0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};

    std::array<std::uint8_t, registers.size()> held{};

    // Every bit the tester ever sets in each register: what a record that cannot
    // be read may name, and so what is handed back when it is unknown.
    static OwedControls everything();

    bool empty() const;
    // Both: the bits of either.
    OwedControls with(const OwedControls& other) const;
    // Index of a control register in registers; nullopt for any other variable.
    static std::optional<std::size_t> indexOf(std::uint8_t variable);
    std::uint8_t heldIn(std::uint8_t controlRegister) const;

    bool operator==(const OwedControls&) const = default;
};

// A write (0x62 and its pairs) that only writes 0 into control registers: it
// hands back what the tester took and may go out after a stop.
bool handsBackOnly(std::span<const std::uint8_t> payload);

// "0x0D": a byte as the tester names it.
std::string hexByte(std::uint8_t value);

// What a register is for: "выходы", "маска выходов", "параметры", "форсунки", "регуляторы".
std::string_view registerRole(std::uint8_t controlRegister);

// The outputs, parameters or commands behind the set bits of a register:
// "форсунка 1, форсунка 3".
std::string bitNames(std::uint8_t controlRegister, std::uint8_t bits);

// Every owed register by role, number and what it holds:
// "маска выходов (0x0A: вентилятор), форсунки (0x0D: форсунка 1)".
std::string owedRegisters(const OwedControls& owed);

// What the tester may hold, each output once, without registers:
// "вентилятор, форсунка 1".
std::string heldOutputs(const OwedControls& owed);

// The record kept for a port between runs, and its reading back; nullopt for a
// text that is not such a record (of this port).
std::string owedRecordText(std::string_view port, const OwedControls& owed);
std::optional<OwedControls> parseOwedRecord(std::string_view port, std::string_view text);

}  // namespace ecuprobe::ecu
