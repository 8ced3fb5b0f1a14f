#include "review/dump_file.h"

#include "platform/code_pages.h"
#include "review/sample_file.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view datePrefix = "\t\tДата:";
constexpr std::string_view commentPrefix = "Коментарий: ";
constexpr std::string_view sampleFilePrefix = "Файл дампа: ";
constexpr std::size_t calendarTextSize = 24;
class DumpReader {
public:
    DumpReader(const TextLines& fileLines, ReadError& problem)
        : lines(fileLines.lines), lastEnded(fileLines.lastEnded), error(problem) {}

    std::optional<std::vector<DumpEntry>> read() {
        std::vector<DumpEntry> entries;
        while (at < lines.size() && lines[at].empty()) {
            ++at;
        }
        // Text before the first report: not a dump the tester wrote.
        if (at == lines.size() || !isStarLine(lines[at])) {
            error = {ReadProblem::unknownKind, static_cast<int>(std::min(at, lines.size())) + 1};
            return std::nullopt;
        }
        while (at < lines.size()) {
            std::optional<DumpEntry> entry = readEntry(entries.empty());
            if (!entry) {
                return std::nullopt;
            }
            entries.push_back(std::move(*entry));
        }
        return entries;
    }

private:
    // A head line that is missing, or the last one without its line end, was cut off.
    bool fail(std::size_t line, ReadProblem problem) {
        const bool cut = line >= lines.size() || (line + 1 == lines.size() && !lastEnded);
        error = {cut ? ReadProblem::cutShort : problem, static_cast<int>(line) + 1};
        return false;
    }

    bool head(std::size_t from, bool first, DumpEntry& entry) {
        const std::string_view title = from + 1 < lines.size() ? titleOf(lines[from + 1]) : "";
        if (title.empty() || testOfSampleTitle(lines[from + 1]) != nullptr) {
            // A sample file's head is no report: the file is of another kind.
            return fail(from + 1, first ? ReadProblem::unknownKind : ReadProblem::badHeader);
        }
        if (from + 2 >= lines.size() || !isStarLine(lines[from + 2])) {
            return fail(from + 2, ReadProblem::badHeader);
        }
        if (from + 3 >= lines.size() || !lines[from + 3].starts_with(datePrefix)) {
            return fail(from + 3, ReadProblem::badHeader);
        }
        const std::string_view date = lines[from + 3].substr(datePrefix.size());
        if (date.size() != calendarTextSize) {
            return fail(from + 3, ReadProblem::badDate);
        }
        entry.title = std::string(title);
        entry.date = std::string(date);
        return true;
    }

    // The comment runs from its line up to the empty line that every report's
    // body starts with.
    void comment(std::size_t& line, DumpEntry& entry) {
        if (line >= lines.size() || !lines[line].starts_with(commentPrefix)) {
            return;
        }
        entry.comment = std::string(lines[line].substr(commentPrefix.size()));
        for (++line; line < lines.size() && !lines[line].empty(); ++line) {
            entry.comment += '\n';
            entry.comment += lines[line];
        }
    }

    std::optional<DumpEntry> readEntry(bool first) {
        DumpEntry entry;
        entry.firstLine = static_cast<int>(at) + 1;
        if (!head(at, first, entry)) {
            return std::nullopt;
        }
        std::size_t line = at + 4;
        comment(line, entry);
        while (line < lines.size() && !isStarLine(lines[line])) {
            if (const std::string_view named = trimmed(lines[line]);
                named.starts_with(sampleFilePrefix)) {
                entry.sampleFile = std::string(named.substr(sampleFilePrefix.size()));
            }
            ++line;
        }
        std::size_t end = line;
        while (end > at && lines[end - 1].empty()) {
            --end;
        }
        for (std::size_t i = at; i < end; ++i) {
            entry.text += lines[i];
            entry.text += '\n';
        }
        at = line;
        return entry;
    }

    const std::vector<std::string_view>& lines;
    bool lastEnded;
    ReadError& error;
    std::size_t at = 0;
};

}  // namespace

std::optional<std::vector<DumpEntry>> readTesterDump(std::string_view bytes, ReadError& error) {
    if (const int nul = lineWithNul(bytes); nul != 0) {
        error = {ReadProblem::notText, nul};
        return std::nullopt;
    }
    const std::string text = platform::cp1251ToUtf8(bytes);
    const TextLines split = splitLines(text);
    DumpReader reader(split, error);
    return reader.read();
}

}  // namespace ecuprobe::review
