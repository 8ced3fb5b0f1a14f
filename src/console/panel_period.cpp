#include "console/panel_period.h"

#include <charconv>

namespace ecuprobe::console {

namespace {

constexpr std::string_view blanks = " \t\r\n";
constexpr std::uint32_t shortestPeriodMs = 600;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// The framework's own wording, with its placeholders filled in.
std::string rangeMessage() {
    return "Please enter an integer between " + std::to_string(periodEntryMin) + " and " +
           std::to_string(periodEntryMax) + ".";
}

}  // namespace

PeriodEntry readPeriodEntry(std::string_view text) {
    std::string_view digits = trimmed(text);
    if (digits.starts_with('+') && !digits.substr(1).starts_with('-')) {
        digits.remove_prefix(1);
    }
    long long parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    const bool whole = !digits.empty() && end == digits.data() + digits.size();
    if (error == std::errc::result_out_of_range && whole) {
        return {std::nullopt, rangeMessage()};
    }
    if (error != std::errc() || !whole) {
        return {std::nullopt, "Please enter an integer."};
    }
    if (parsed < periodEntryMin || parsed > periodEntryMax) {
        return {std::nullopt, rangeMessage()};
    }
    return {static_cast<std::int32_t>(parsed), {}};
}

std::uint32_t periodMsFor(std::int32_t period) {
    return period > 0 ? static_cast<std::uint32_t>(period) * 1000u : shortestPeriodMs;
}

}  // namespace ecuprobe::console
