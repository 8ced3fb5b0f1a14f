#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "review/read_error.h"

namespace ecuprobe::review {

// A drive log as columns: the Time column in seconds, then one column per value
// with its name and unit; an empty cell (a field the ECU does not give) is NaN.
struct DriveLogTable {
    std::vector<std::string> names;  // without "Time"
    std::vector<std::string> units;
    std::vector<double> time;
    std::vector<std::vector<double>> columns;  // columns[c][row]
};

// A drive log (".tsv", written by "Запись лога" and `ecuprobe-cli log`): UTF-8,
// a names line starting with "Time", a units line starting with "s", then one row
// of tab-separated numbers per read.
std::optional<DriveLogTable> readDriveLog(std::string_view bytes, ReadError& error);

// The first line of a drive log.
bool isDriveLogHead(std::string_view line);

}  // namespace ecuprobe::review
