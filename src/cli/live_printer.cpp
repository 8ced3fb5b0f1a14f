#include "cli/live_printer.h"

#include <algorithm>

namespace ecuprobe::cli {

using console::LiveField;
using ecu::LiveData;

std::string tsvHeader() {
    std::string line;
    for (const LiveField& field : console::liveFields()) {
        line += line.empty() ? "" : "\t";
        line += field.name;
    }
    return line;
}

std::string tsvLine(const LiveData& data) {
    std::string line;
    bool first = true;
    for (const LiveField& field : console::liveFields()) {
        line += first ? "" : "\t";
        line += console::fieldText(field, data);
        first = false;
    }
    return line;
}

std::string captionLines(const LiveData& data) {
    std::size_t column = 0;
    for (const LiveField& field : console::liveFields()) {
        column = std::max(column, displayWidth(console::fieldCaption(field)));
    }
    std::string text;
    for (const LiveField& field : console::liveFields()) {
        const std::string caption = console::fieldCaption(field);
        text += caption;
        text.append(column + 1 - displayWidth(caption), ' ');
        text += console::fieldText(field, data);
        if (const std::string_view unit = console::fieldUnit(field); !unit.empty()) {
            text += ' ';
            text += unit;
        }
        text += '\n';
    }
    return text;
}

std::size_t displayWidth(std::string_view text) {
    // Continuation bytes of a UTF-8 sequence are 10xxxxxx.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace ecuprobe::cli
