#include "ecu/owed_controls.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "ecu/ecu_commands.h"

namespace ecuprobe::ecu {

namespace {

using Names = std::array<std::string_view, 8>;

constexpr Names outputNames{{"лампа неисправности", "вентилятор", "кондиционер", "бензонасос",
                             "катушка 1:4", "катушка 2:3"}};

// By register, bit 0 first; an empty name is a bit the tester never sets.
constexpr std::array<Names, OwedControls::registers.size()> namesByRegister{{
    outputNames,
    outputNames,
    Names{{"", "", "", "поправка УОЗ", "", "РДВ", "обороты ХХ"}},
    Names{{"", "JEGR", "JADS", "RCOD", "RCOK"}},
    Names{{"форсунка 1", "форсунка 2", "форсунка 3", "форсунка 4"}},
    Names{{"сохранение", "L-регулятор", "рег. детонации", "очистка ошибок",
           "сброс адаптации L-зонда", "сброс адаптации детонации"}},
}};

constexpr std::array<std::string_view, OwedControls::registers.size()> roles{
    "выходы", "маска выходов", "параметры", "параметры", "форсунки", "регуляторы"};

constexpr std::string_view recordHead = "ecuprobe owed controls 1\n";
constexpr std::string_view portPrefix = "port ";

std::vector<std::string> namesOf(std::size_t index, std::uint8_t bits) {
    std::vector<std::string> names;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (((bits >> bit) & 1u) == 0) {
            continue;
        }
        const std::string_view name = namesByRegister[index][bit];
        names.push_back(name.empty() ? "бит " + std::to_string(bit) : std::string(name));
    }
    return names;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// "0x0D 0x05" into its two bytes.
std::optional<std::array<std::uint8_t, 2>> readPair(std::string_view line) {
    if (line.size() != 9 || line.substr(0, 2) != "0x" || line.substr(4, 3) != " 0x") {
        return std::nullopt;
    }
    std::array<std::uint8_t, 2> pair{};
    for (std::size_t i = 0; i < 2; ++i) {
        const char* first = line.data() + 2 + 5 * i;
        const auto [end, error] = std::from_chars(first, first + 2, pair[i], 16);
        if (error != std::errc() || end != first + 2) {
            return std::nullopt;
        }
    }
    return pair;
}

}  // namespace

OwedControls OwedControls::everything() {
    OwedControls all;
    for (std::size_t i = 0; i < registers.size(); ++i) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (!namesByRegister[i][bit].empty()) {
                all.held[i] = static_cast<std::uint8_t>(all.held[i] | (1u << bit));
            }
        }
    }
    return all;
}

OwedControls OwedControls::with(const OwedControls& other) const {
    OwedControls both;
    for (std::size_t i = 0; i < held.size(); ++i) {
        both.held[i] = static_cast<std::uint8_t>(held[i] | other.held[i]);
    }
    return both;
}

bool OwedControls::empty() const {
    return std::all_of(held.begin(), held.end(), [](std::uint8_t bits) { return bits == 0; });
}

std::optional<std::size_t> OwedControls::indexOf(std::uint8_t variable) {
    const auto* found = std::find(registers.begin(), registers.end(), variable);
    if (found == registers.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - registers.begin());
}

std::uint8_t OwedControls::heldIn(std::uint8_t controlRegister) const {
    const std::optional<std::size_t> index = indexOf(controlRegister);
    return index ? held[*index] : std::uint8_t{0};
}

bool handsBackOnly(std::span<const std::uint8_t> payload) {
    if (payload.size() < 3 || payload.size() % 2 == 0 || payload[0] != writeCommand) {
        return false;
    }
    for (std::size_t i = 1; i + 1 < payload.size(); i += 2) {
        if (!OwedControls::indexOf(payload[i]) || payload[i + 1] != 0) {
            return false;
        }
    }
    return true;
}

std::string hexByte(std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[value >> 4], digits[value & 0x0F]};
}

std::string_view registerRole(std::uint8_t controlRegister) {
    const std::optional<std::size_t> index = OwedControls::indexOf(controlRegister);
    return index ? roles[*index] : std::string_view();
}

std::string bitNames(std::uint8_t controlRegister, std::uint8_t bits) {
    const std::optional<std::size_t> index = OwedControls::indexOf(controlRegister);
    return index ? joined(namesOf(*index, bits)) : std::string();
}

std::string owedRegisters(const OwedControls& owed) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < owed.registers.size(); ++i) {
        if (owed.held[i] != 0) {
            items.push_back(std::string(roles[i]) + " (" + hexByte(owed.registers[i]) + ": " +
                            joined(namesOf(i, owed.held[i])) + ")");
        }
    }
    return joined(items);
}

std::string heldOutputs(const OwedControls& owed) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < owed.registers.size(); ++i) {
        for (std::string& name : namesOf(i, owed.held[i])) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
    }
    return joined(names);
}

std::string owedRecordText(std::string_view port, const OwedControls& owed) {
    std::string text(recordHead);
    text += std::string(portPrefix) + std::string(port) + '\n';
    for (std::size_t i = 0; i < owed.registers.size(); ++i) {
        if (owed.held[i] != 0) {
            text += hexByte(owed.registers[i]) + ' ' + hexByte(owed.held[i]) + '\n';
        }
    }
    return text;
}

// Registers in hand-back order, each once, with bits; the port as it was written.
std::optional<OwedControls> parseOwedRecord(std::string_view port, std::string_view text) {
    const std::string expectedStart =
        std::string(recordHead) + std::string(portPrefix) + std::string(port) + '\n';
    if (!text.starts_with(expectedStart) || !text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_prefix(expectedStart.size());
    OwedControls owed;
    std::size_t next = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::optional<std::array<std::uint8_t, 2>> pair = readPair(text.substr(0, end));
        const std::optional<std::size_t> index =
            pair ? OwedControls::indexOf((*pair)[0]) : std::nullopt;
        if (!index || *index < next || (*pair)[1] == 0) {
            return std::nullopt;
        }
        owed.held[*index] = (*pair)[1];
        next = *index + 1;
        text.remove_prefix(end + 1);
    }
    return owed;
}

}  // namespace ecuprobe::ecu
