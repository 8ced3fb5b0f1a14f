#include "review/report_fields.h"

#include <optional>

#include "review/read_error.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view stateTitle = "Состояние внутренних переменых ЭБУ.";
// Stars, title, stars and the date line open every report.
constexpr std::size_t headLines = 4;

std::vector<std::string_view> cellsOf(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        if (const std::string_view cell = trimmed(line.substr(0, tab)); !cell.empty()) {
            cells.push_back(cell);
        }
        if (tab == std::string_view::npos) {
            return cells;
        }
        line.remove_prefix(tab + 1);
    }
}

// Cells in order become fields: a cell with a colon names a field and may carry
// its value after the colon; the cells after it are the value, then the unit.
// A name split from its colon by a tab (" Паспрот программы\t:…") is mended.
class FieldReader {
public:
    explicit FieldReader(std::vector<ReportField>& into) : fields(into) {}

    void take(std::string_view cell) {
        if (current && cell.front() == ':' && !hasValue) {
            setValue(trimmed(cell.substr(1)));
            return;
        }
        const std::size_t colon = cell.find(':');
        if (colon != std::string_view::npos && (!current || hasValue)) {
            start(trimmed(cell.substr(0, colon)));
            if (const std::string_view rest = trimmed(cell.substr(colon + 1)); !rest.empty()) {
                setValue(rest);
            }
        } else if (!current) {
            start(cell);
        } else if (!hasValue) {
            setValue(cell);
        } else if (fields[*current].unit.empty()) {
            fields[*current].unit = std::string(cell);
        } else {
            start(cell);
        }
    }

private:
    void start(std::string_view name) {
        fields.push_back({std::string(name), {}, {}});
        current = fields.size() - 1;
        hasValue = false;
    }
    void setValue(std::string_view value) {
        fields[*current].value = std::string(value);
        hasValue = true;
    }

    std::vector<ReportField>& fields;
    std::optional<std::size_t> current;
    bool hasValue = false;
};

}  // namespace

bool isStateReport(const DumpEntry& entry) {
    return entry.title == stateTitle;
}

std::vector<std::string> bodyLines(const DumpEntry& entry) {
    const TextLines split = splitLines(entry.text);
    std::size_t at = std::min(headLines, split.lines.size());
    if (!entry.comment.empty()) {
        // The comment runs to the empty line that opens the body.
        while (at < split.lines.size() && !split.lines[at].empty()) {
            ++at;
        }
    }
    while (at < split.lines.size() && trimmed(split.lines[at]).empty()) {
        ++at;
    }
    std::size_t end = split.lines.size();
    while (end > at && trimmed(split.lines[end - 1]).empty()) {
        --end;
    }
    return {split.lines.begin() + static_cast<std::ptrdiff_t>(at),
            split.lines.begin() + static_cast<std::ptrdiff_t>(end)};
}

std::vector<ReportField> reportFields(const DumpEntry& entry) {
    std::vector<ReportField> fields;
    for (const std::string& line : bodyLines(entry)) {
        const std::vector<std::string_view> cells = cellsOf(line);
        // The equipment list and the fault list go on over lines of their own
        // ("датчик детонации,").
        if (cells.size() == 1 && cells[0].find(':') == std::string_view::npos && !fields.empty()) {
            std::string& value = fields.back().value;
            value += value.empty() ? "" : "\n";
            value += cells[0];
            continue;
        }
        FieldReader reader(fields);
        for (const std::string_view cell : cells) {
            reader.take(cell);
        }
    }
    return fields;
}

}  // namespace ecuprobe::review
