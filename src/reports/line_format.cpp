#include "reports/line_format.h"

#include <cctype>
#include <cstddef>

#include "reports/report_text.h"

namespace ecuprobe::reports {

namespace {

// One conversion: flags, width, precision, length and the conversion letter.
struct Conversion {
    int width = 0;
    int precision = -1;
    char letter = 0;
};

std::size_t readNumber(std::string_view format, std::size_t at, int& number) {
    number = 0;
    while (at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])) != 0) {
        number = number * 10 + (format[at] - '0');
        ++at;
    }
    return at;
}

// Reads the conversion that starts after a '%'; returns where the format goes on.
std::size_t readConversion(std::string_view format, std::size_t at, Conversion& conversion) {
    while (at < format.size() && (format[at] == '0' || format[at] == '-')) {
        ++at;
    }
    at = readNumber(format, at, conversion.width);
    if (at < format.size() && format[at] == '.') {
        at = readNumber(format, at + 1, conversion.precision);
    }
    while (at < format.size() && format[at] == 'l') {
        ++at;
    }
    conversion.letter = at < format.size() ? format[at] : '%';
    return at + 1;
}

template <typename T>
T as(const LineValue& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<T>(*integer);
    }
    if (const auto* real = std::get_if<double>(&value)) {
        return static_cast<T>(*real);
    }
    return T{};
}

std::string textOf(const LineValue& value) {
    const auto* text = std::get_if<std::string_view>(&value);
    return text != nullptr ? std::string(*text) : std::string();
}

std::string convert(const Conversion& c, const LineValue& value) {
    switch (c.letter) {
        case 'i':
        case 'd':
            return padded(as<std::int32_t>(value), c.width);
        case 'u':
            return padded(as<std::uint32_t>(value), c.width);
        case 'x':
            return hexLower(as<std::uint32_t>(value));
        case 'X':
            return hexUpper(as<std::uint32_t>(value));
        case 'f':
            return fixed(as<double>(value), c.precision < 0 ? 6 : c.precision);
        case 's': {
            std::string text = textOf(value);
            return c.precision < 0 ? text : text.substr(0, static_cast<std::size_t>(c.precision));
        }
        default:
            return {};
    }
}

}  // namespace

std::string formatLine(std::string_view format, std::initializer_list<LineValue> values) {
    std::string line;
    const LineValue* next = values.begin();
    for (std::size_t at = 0; at < format.size();) {
        if (format[at] != '%') {
            line += format[at++];
            continue;
        }
        if (at + 1 < format.size() && format[at + 1] == '%') {
            line += '%';
            at += 2;
            continue;
        }
        Conversion conversion;
        at = readConversion(format, at + 1, conversion);
        if (next != values.end()) {
            line += convert(conversion, *next++);
        }
    }
    return line;
}

}  // namespace ecuprobe::reports
