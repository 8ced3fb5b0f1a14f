#include "review/dump_file.h"

#include "platform/code_pages.h"
#include "review/line_reader.h"
#include "review/report_end.h"
#include "review/sample_file.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view datePrefix = "\t\tДата:";
constexpr std::string_view commentPrefix = "Коментарий: ";
constexpr std::string_view sampleFilePrefix = "Файл дампа: ";
constexpr std::size_t calendarTextSize = 24;
constexpr std::size_t headLines = 4;

// Every report has one date line: as many reports at most.
std::size_t dateLineCount(std::string_view bytes) {
    const std::string date = platform::utf8ToCp1251(datePrefix);
    std::size_t count = 0;
    for (std::size_t at = bytes.find(date); at != std::string_view::npos;
         at = bytes.find(date, at + date.size())) {
        ++count;
    }
    return count;
}

class DumpReader {
public:
    DumpReader(LineReader& fileLines, ReadError& problem) : lines(fileLines), error(problem) {}

    // reports: room made at once, so that the list never holds twice what it needs.
    std::optional<std::vector<DumpEntry>> read(std::size_t reports) {
        std::vector<DumpEntry> entries;
        entries.reserve(reports);
        while (!lines.atEnd() && lines.peek()->empty()) {
            lines.advance();
        }
        // Text before the first report: not a dump the tester wrote.
        if (lines.atEnd() || !isStarLine(*lines.peek())) {
            error = {ReadProblem::unknownKind, lines.number()};
            return std::nullopt;
        }
        while (!lines.atEnd()) {
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
    bool fail(std::size_t ahead, ReadProblem problem) {
        const bool cut = lines.peek(ahead) == nullptr || !lines.ended(ahead);
        error = {cut ? ReadProblem::cutShort : problem, lines.number() + static_cast<int>(ahead)};
        return false;
    }

    bool head(bool first, DumpEntry& entry) {
        const std::string* titleLine = lines.peek(1);
        const std::string_view title = titleLine != nullptr ? titleOf(*titleLine) : "";
        if (title.empty() || testOfSampleTitle(*titleLine) != nullptr) {
            // A sample file's head is no report: the file is of another kind.
            return fail(1, first ? ReadProblem::unknownKind : ReadProblem::badHeader);
        }
        if (lines.peek(2) == nullptr || !isStarLine(*lines.peek(2))) {
            return fail(2, ReadProblem::badHeader);
        }
        const std::string* dateLine = lines.peek(3);
        if (dateLine == nullptr || !dateLine->starts_with(datePrefix)) {
            return fail(3, ReadProblem::badHeader);
        }
        const std::string_view date = std::string_view(*dateLine).substr(datePrefix.size());
        if (date.size() != calendarTextSize) {
            return fail(3, ReadProblem::badDate);
        }
        entry.title = std::string(title);
        entry.date = std::string(date);
        return true;
    }

    // Appends the current line to the report's text and moves past it.
    void take(DumpEntry& entry) {
        entry.text += *lines.peek();
        entry.text += '\n';
        lines.advance();
    }

    // The comment runs from its line up to the empty line that every report's
    // body starts with.
    void comment(DumpEntry& entry) {
        if (lines.atEnd() || !lines.peek()->starts_with(commentPrefix)) {
            return;
        }
        entry.comment = lines.peek()->substr(commentPrefix.size());
        take(entry);
        while (!lines.atEnd() && !lines.peek()->empty()) {
            entry.comment += '\n';
            entry.comment += *lines.peek();
            take(entry);
        }
    }

    // Up to the next report; the empty lines before it are not the report's.
    bool body(DumpEntry& entry) {
        ReportEnd end(entry.title);
        std::size_t emptyLines = 0;
        int lastLine = lines.number() - 1;
        for (; !lines.atEnd() && !isStarLine(*lines.peek()); lines.advance()) {
            const std::string& line = *lines.peek();
            end.take(line);
            if (line.empty()) {
                ++emptyLines;
                continue;
            }
            if (const std::string_view named = trimmed(line); named.starts_with(sampleFilePrefix)) {
                entry.sampleFile = std::string(named.substr(sampleFilePrefix.size()));
            }
            entry.text.append(emptyLines, '\n');
            entry.text += line;
            entry.text += '\n';
            emptyLines = 0;
            lastLine = lines.number();
        }
        if (!end.whole()) {
            error = {ReadProblem::cutShort, lastLine};
            return false;
        }
        return true;
    }

    std::optional<DumpEntry> readEntry(bool first) {
        DumpEntry entry;
        entry.firstLine = lines.number();
        if (!head(first, entry)) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < headLines; ++i) {
            take(entry);
        }
        comment(entry);
        if (!body(entry)) {
            return std::nullopt;
        }
        // The text grew line by line: what it holds, not the room it grew into.
        entry.text.shrink_to_fit();
        return entry;
    }

    LineReader& lines;
    ReadError& error;
};

}  // namespace

std::optional<std::vector<DumpEntry>> readTesterDump(std::string_view bytes, ReadError& error) {
    if (const int nul = lineWithNul(bytes); nul != 0) {
        error = {ReadProblem::notText, nul};
        return std::nullopt;
    }
    LineReader lines(bytes, true);
    DumpReader reader(lines, error);
    return reader.read(dateLineCount(bytes));
}

}  // namespace ecuprobe::review
