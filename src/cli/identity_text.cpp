#include "cli/identity_text.h"

#include <algorithm>
#include <vector>

#include "cli/live_printer.h"

namespace ecuprobe::cli {

namespace {

// The lines of a text whose lines end in CR LF (the last may not).
std::vector<std::string_view> crLfLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
    }
    return lines;
}

std::string_view withoutTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

std::string identificationText(const console::IdentificationContent& content) {
    std::size_t column = 0;
    for (const console::IdentificationField& field : content.fields) {
        column = std::max(column, displayWidth(field.caption));
    }
    std::string text;
    for (const console::IdentificationField& field : content.fields) {
        text += field.caption;
        const std::string indent(column + 1, ' ');
        std::string pad(column + 1 - displayWidth(field.caption), ' ');
        const std::vector<std::string_view> lines = crLfLines(field.text);
        if (lines.empty()) {
            text += '\n';
        }
        for (const std::string_view line : lines) {
            text += pad;
            text += line;
            text += '\n';
            pad = indent;
        }
    }
    text += std::string(console::equipmentCaption) + ":\n";
    for (const std::string_view item : crLfLines(content.equipment)) {
        // A list without its first item starts with an empty line.
        if (!withoutTrailingBlanks(item).empty()) {
            text += "  " + std::string(withoutTrailingBlanks(item)) + '\n';
        }
    }
    return text;
}

}  // namespace ecuprobe::cli
