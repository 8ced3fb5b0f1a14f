#include "review/report_end.h"

#include <algorithm>
#include <cctype>

#include "ecu/ecu_identity.h"
#include "reports/tester_dump.h"
#include "review/read_error.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view equipmentPrefix = "Комплектация: ";
constexpr std::string_view sampleFilePrefix = " Файл дампа: ";

bool digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool hexDigit(char c, bool upper) {
    return digit(c) || (upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f'));
}

// The length of the number a conversion printed at the start of text; 0 for none.
std::size_t numberLength(std::string_view text, std::string_view spec, char conversion) {
    std::size_t at = text.find_first_not_of(' ');
    at = at == std::string_view::npos ? text.size() : at;
    if (conversion == 'f') {
        // A value that was no number prints as a word.
        for (const std::string_view word : {"-nan", "nan", "-inf", "inf"}) {
            if (text.substr(at).starts_with(word)) {
                return at + word.size();
            }
        }
    }
    if ((conversion == 'i' || conversion == 'f') && at < text.size() && text[at] == '-') {
        ++at;
    }
    const std::size_t digits = at;
    while (at < text.size() &&
           (conversion == 'x' || conversion == 'X' ? hexDigit(text[at], conversion == 'X')
                                                   : digit(text[at]))) {
        ++at;
    }
    if (at == digits) {
        return 0;
    }
    if (conversion != 'f') {
        return at;
    }
    const std::size_t point = spec.find('.');
    const std::size_t decimals =
        point == std::string_view::npos ? 6 : std::stoul(std::string(spec.substr(point + 1)));
    if (at >= text.size() || text[at] != '.' || text.size() - at - 1 < decimals ||
        !std::all_of(text.begin() + static_cast<long>(at) + 1,
                     text.begin() + static_cast<long>(at + 1 + decimals), digit)) {
        return 0;
    }
    return at + 1 + decimals;
}

// " Файл дампа: 1700000000.dmp": a name with the extension of the test's sample files.
bool namesSampleFile(std::string_view line, std::string_view extension) {
    return line.starts_with(sampleFilePrefix) &&
           line.size() > sampleFilePrefix.size() + extension.size() && line.ends_with(extension);
}

}  // namespace

bool printedBy(std::string_view line, std::string_view format) {
    while (!format.empty() && format[0] != '%') {
        if (line.empty() || line[0] != format[0]) {
            return false;
        }
        line.remove_prefix(1);
        format.remove_prefix(1);
    }
    if (format.empty()) {
        return line.empty();
    }
    const std::size_t end = format.find_first_of("iuxXfs%", 1);
    if (end == std::string_view::npos) {
        return false;
    }
    const char conversion = format[end];
    const std::string_view rest = format.substr(end + 1);
    if (conversion == '%') {
        return line.starts_with('%') && printedBy(line.substr(1), rest);
    }
    if (conversion == 's') {
        for (std::size_t taken = 0; taken <= line.size(); ++taken) {
            if (printedBy(line.substr(taken), rest)) {
                return true;
            }
        }
        return false;
    }
    const std::size_t length = numberLength(line, format.substr(1, end - 1), conversion);
    return length != 0 && printedBy(line.substr(length), rest);
}

ReportEnd::ReportEnd(std::string_view title)
    : stateReport(title == titleOf(reports::stateReportTitle[1])) {
    for (const console::RunDescriptor* run :
         {&console::dynamicRun, &console::accelerationRun, &console::lossRun}) {
        if (title == titleOf(run->reportTitle[1])) {
            test = run;
        }
    }
}

void ReportEnd::take(std::string_view line) {
    if (line.empty()) {
        return;
    }
    last = line;
    if (stateReport && line.starts_with(equipmentPrefix)) {
        const std::string_view first = line.substr(equipmentPrefix.size());
        inEquipment = first.empty() || ecu::isEquipmentItem(first);
    } else if (inEquipment) {
        inEquipment = ecu::isEquipmentItem(line);
    }
}

bool ReportEnd::whole() const {
    if (stateReport) {
        return inEquipment;
    }
    if (test == nullptr) {
        return true;
    }
    std::string_view lastFormat = test->report.back().format;
    if (lastFormat.starts_with("\r\n")) {
        lastFormat.remove_prefix(2);
    }
    return namesSampleFile(last, test->detailExtension) || printedBy(last, lastFormat);
}

}  // namespace ecuprobe::review
