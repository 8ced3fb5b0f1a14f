#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ecuprobe::console {

// The poll period box holds whole seconds; the up-down control offers 0 to 4,
// of which 3 and 4 are taken back to 2.
inline constexpr std::int32_t periodEntryMin = 0;
inline constexpr std::int32_t periodEntryMax = 4;
inline constexpr std::int32_t periodLimit = 2;

// A period box entry read back: the value, or the validation message to show.
struct PeriodEntry {
    std::optional<std::int32_t> value;
    std::string message;
};

// Blanks around the number are allowed; anything else that is not an integer
// gives "Please enter an integer.", an integer outside 0..4 gives
// "Please enter an integer between 0 and 4.".
PeriodEntry readPeriodEntry(std::string_view text);

// Timer period for a period in seconds: 600 ms for 0 (or less), else whole seconds.
std::uint32_t periodMsFor(std::int32_t period);

}  // namespace ecuprobe::console
