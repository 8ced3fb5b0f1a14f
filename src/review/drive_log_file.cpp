#include "review/drive_log_file.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ecuprobe::review {

namespace {

std::vector<std::string_view> cellsOf(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        cells.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
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

bool readRow(std::string_view line, DriveLogTable& log) {
    const std::vector<std::string_view> cells = cellsOf(line);
    if (cells.size() != log.names.size() + 1) {
        return false;
    }
    double time = 0;
    if (cells[0].empty() || !parseCell(cells[0], time)) {
        return false;
    }
    log.time.push_back(time);
    for (std::size_t c = 0; c < log.names.size(); ++c) {
        double value = 0;
        if (!parseCell(cells[c + 1], value)) {
            return false;
        }
        log.columns[c].push_back(value);
    }
    return true;
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
    const TextLines split = splitLines(bytes);
    const std::vector<std::string_view>& lines = split.lines;
    if (lines.empty() || !isDriveLogHead(lines[0])) {
        error = {ReadProblem::unknownKind, 1};
        return std::nullopt;
    }
    DriveLogTable log;
    const std::vector<std::string_view> names = cellsOf(lines[0]);
    log.names.assign(names.begin() + 1, names.end());
    const std::vector<std::string_view> units =
        lines.size() > 1 ? cellsOf(lines[1]) : std::vector<std::string_view>{};
    if (units.size() != names.size() || units[0] != "s") {
        error = {lines.size() > 1 ? ReadProblem::badColumns : ReadProblem::cutShort, 2};
        return std::nullopt;
    }
    log.units.assign(units.begin() + 1, units.end());
    log.columns.resize(log.names.size());
    for (std::size_t at = 2; at < lines.size(); ++at) {
        // The recorder writes whole rows: a last one without its line end is one
        // that a crash or a pulled cable cut in two.
        const bool cut = at + 1 == lines.size() && !split.lastEnded;
        if (cut || !readRow(lines[at], log)) {
            error = {cut ? ReadProblem::cutShort : ReadProblem::badRow, static_cast<int>(at) + 1};
            return std::nullopt;
        }
    }
    return log;
}

}  // namespace ecuprobe::review
