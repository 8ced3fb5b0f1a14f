#include "review/drive_log_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "review/line_reader.h"

namespace ecuprobe::review {

namespace {

// Far more than the live values a log can hold: a names line longer than this
// is no drive log.
constexpr std::size_t maxColumns = 256;

// The cells of a line up to limit of them; one more when there are more.
std::vector<std::string_view> cellsOf(std::string_view line, std::size_t limit) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        cells.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos || cells.size() > limit) {
            return cells;
        }
        line.remove_prefix(tab + 1);
    }
}

bool parseCell(std::string_view cell, double& value) {
    if (cell.empty()) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    const char* end = cell.data() + cell.size();
    auto [stop, failed] = std::from_chars(cell.data(), end, value);
    return failed == std::errc() && stop == end && std::isfinite(value);
}

// Why a row cannot be taken; nullopt once it is in the table.
std::optional<ReadProblem> readRow(std::string_view line, DriveLogTable& log) {
    const std::vector<std::string_view> cells = cellsOf(line, log.names.size() + 1);
    double time = 0;
    if (cells.size() != log.names.size() + 1 || cells[0].empty() || !parseCell(cells[0], time)) {
        return ReadProblem::badRow;
    }
    if (!log.time.empty() && time < log.time.back()) {
        return ReadProblem::timeBackwards;
    }
    std::vector<double> values(log.names.size());
    for (std::size_t c = 0; c < log.names.size(); ++c) {
        if (!parseCell(cells[c + 1], values[c])) {
            return ReadProblem::badRow;
        }
    }
    log.time.push_back(time);
    for (std::size_t c = 0; c < log.names.size(); ++c) {
        log.columns[c].push_back(values[c]);
    }
    return std::nullopt;
}

// The names and units lines; false, with the error, when they are no drive log's.
bool readHead(LineReader& lines, DriveLogTable& log, ReadError& error) {
    if (lines.atEnd() || !isDriveLogHead(*lines.peek())) {
        error = {ReadProblem::unknownKind, 1};
        return false;
    }
    const std::vector<std::string_view> names = cellsOf(*lines.peek(), maxColumns);
    if (names.size() > maxColumns) {
        error = {ReadProblem::badColumns, 1};
        return false;
    }
    log.names.assign(names.begin() + 1, names.end());
    const std::vector<std::string_view> units = lines.peek(1) != nullptr
                                                    ? cellsOf(*lines.peek(1), names.size())
                                                    : std::vector<std::string_view>{};
    if (units.size() != names.size() || units[0] != "s") {
        error = {lines.peek(1) != nullptr ? ReadProblem::badColumns : ReadProblem::cutShort, 2};
        return false;
    }
    log.units.assign(units.begin() + 1, units.end());
    lines.advance();
    lines.advance();
    return true;
}

// Room for every row at once: columns that grew by doubling would hold up to
// twice what they need, and more while they move.
void makeRoom(std::string_view bytes, DriveLogTable& log) {
    const auto rows = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    log.time.reserve(rows);
    log.columns.assign(log.names.size(), {});
    for (std::vector<double>& column : log.columns) {
        column.reserve(rows);
    }
}

}  // namespace

bool isDriveLogHead(std::string_view line) {
    return line.starts_with("Time\t");
}

std::optional<DriveLogTable> readDriveLog(std::string_view bytes, ReadError& error) {
    if (const int nul = lineWithNul(bytes); nul != 0) {
        error = {ReadProblem::notText, nul};
        return std::nullopt;
    }
    LineReader lines(bytes, false);
    DriveLogTable log;
    if (!readHead(lines, log, error)) {
        return std::nullopt;
    }
    makeRoom(bytes, log);
    for (; !lines.atEnd(); lines.advance()) {
        // The recorder writes whole rows: a last one without its line end is one
        // that a crash or a pulled cable cut in two.
        const std::optional<ReadProblem> problem =
            lines.ended() ? readRow(*lines.peek(), log) : ReadProblem::cutShort;
        if (problem) {
            error = {*problem, lines.number()};
            return std::nullopt;
        }
    }
    return log;
}

}  // namespace ecuprobe::review
