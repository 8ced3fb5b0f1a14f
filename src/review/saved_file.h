#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "review/drive_log_file.h"
#include "review/dump_file.h"
#include "review/read_error.h"
#include "review/sample_file.h"

namespace ecuprobe::review {

// What a file the tester wrote holds, read back: the runs of a sample file, a
// drive log, or the reports of a tester dump.
using SavedContent = std::variant<std::vector<SampleRun>, DriveLogTable, std::vector<DumpEntry>>;

// The file's kind told by its first lines, whatever its name, then read by the
// reader of that kind.
std::optional<SavedContent> readSaved(std::string_view bytes, ReadError& error);

// The same for a file on disk (a UTF-8 path); the file is only read.
std::optional<SavedContent> readSavedFile(const std::string& utf8Path, ReadError& error);

}  // namespace ecuprobe::review
