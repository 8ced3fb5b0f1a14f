#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace ecuprobe::reports {

// One value for a report line: an integer (C's int or unsigned), a floating value
// (a float widened to double) or a text.
using LineValue = std::variant<std::int64_t, double, std::string_view>;

// The report lines keep the C formats they are written with: "%i", "%u", "%x",
// "%X", "%.Nf", "%0.Nf", "%Wi", "%Wu", "%.1x", "%lu", "%s", "%.24s" and "%%".
// This fills one in like printf would with the "C" locale, whatever the user's
// locale is. %u and %x take the integer as a 32-bit unsigned, as C passes an int.
std::string formatLine(std::string_view format, std::initializer_list<LineValue> values);

}  // namespace ecuprobe::reports
