#include "reports/report_text.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/clock.h"

namespace ecuprobe::reports {

std::string fixed(double value, int decimals) {
    std::array<char, 400> text{};
    const std::to_chars_result done = std::to_chars(text.data(), text.data() + text.size(), value,
                                                    std::chars_format::fixed, decimals);
    return std::string(text.data(), done.ptr);
}

std::string padded(std::int64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
    }
    return digits;
}

namespace {

std::string hex(std::uint32_t value, const char* digits) {
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    return text;
}

}  // namespace

std::string hexLower(std::uint32_t value) {
    return hex(value, "0123456789abcdef");
}

std::string hexUpper(std::uint32_t value) {
    return hex(value, "0123456789ABCDEF");
}

std::string calendarText(std::time_t moment) {
    static constexpr std::array<const char*, 7> days{"Sun", "Mon", "Tue", "Wed",
                                                     "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm local = platform::localCalendar(moment);
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d",
                  days[static_cast<std::size_t>(local.tm_wday) % days.size()],
                  months[static_cast<std::size_t>(local.tm_mon) % months.size()], local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    return std::string(text).substr(0, 24);
}

std::string commentLine(std::string_view comment) {
    if (comment.empty()) {
        return {};
    }
    std::string line = "Коментарий: ";
    for (std::size_t i = 0; i < comment.size(); ++i) {
        const char c = comment[i];
        if (c == '\r' || c == '\n') {
            line += "\r\n";
            // CR LF typed as one break stays one break.
            if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    return line + "\r\n";
}

}  // namespace ecuprobe::reports
