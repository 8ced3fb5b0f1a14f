#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace ecuprobe::reports {

// The pieces of report lines, as the C formats of the files have them, but
// independent of the user's locale: a number always has a point.

// "%.Nf": fixed point with decimals places, rounded as printf rounds.
std::string fixed(double value, int decimals);
// "%Wi" / "%Wu": right-aligned in width places (no padding for width 0).
std::string padded(std::int64_t value, int width = 0);
// "%x" / "%X": hexadecimal without leading zeros.
std::string hexLower(std::uint32_t value);
std::string hexUpper(std::uint32_t value);

// The fixed 24-character calendar text of a moment in local time, with English
// names: "Wed Jun  3 21:49:08 2026".
std::string calendarText(std::time_t moment);

// "Коментарий: <comment>\r\n", every line break of the comment written as CR LF;
// empty when the comment is.
std::string commentLine(std::string_view comment);

}  // namespace ecuprobe::reports
