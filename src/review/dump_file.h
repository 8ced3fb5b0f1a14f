#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "review/read_error.h"

namespace ecuprobe::review {

// One report of a tester dump: a state report or a measured test's report.
struct DumpEntry {
    std::string title;  // between the stars: "Состояние внутренних переменых ЭБУ."
    std::string date;        // the 24-character calendar text, as written
    std::string comment;     // empty when none was typed; typed line breaks as "\n"
    std::string text;        // the whole report from its first star line, lines joined by "\n"
    std::string sampleFile;  // named by a test report's "Файл дампа:" line, else empty
    int firstLine = 0;
};

// The tester dump (".tdm"): reports appended one after another, CP1251, each
// opened by a star line, its title between stars, a star line, "Дата:" with the
// date and, when one was typed, "Коментарий:" with the comment. Texts come out
// in UTF-8.
std::optional<std::vector<DumpEntry>> readTesterDump(std::string_view bytes, ReadError& error);

}  // namespace ecuprobe::review
