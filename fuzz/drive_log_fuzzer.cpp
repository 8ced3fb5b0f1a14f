// Arbitrary bytes as a drive log: read with one value per column and row, or
// refused with a line inside the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "require.h"
#include "review/drive_log_file.h"

using ecuprobe::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ecuprobe::review::ReadError error;
    const auto log = ecuprobe::review::readDriveLog(bytes, error);
    if (!log) {
        require(error.line >= 1 && static_cast<std::size_t>(error.line) <= size + 1);
        return 0;
    }
    require(log->names.size() == log->units.size() && log->columns.size() == log->names.size());
    for (const auto& column : log->columns) {
        require(column.size() == log->time.size());
    }
    return 0;
}
