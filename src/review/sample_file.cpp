#include "review/sample_file.h"

#include <array>
#include <charconv>
#include <limits>

#include "measure/run_sampler.h"
#include "platform/code_pages.h"
#include "reports/measured_report.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view datePrefix = "\t\tДата:";
constexpr std::size_t calendarTextSize = 24;
// A run records at most capacity - 3 samples.
constexpr std::size_t maxSamples = measure::TestSampler::bufferSize - 3;

template <typename Number>
bool parse(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    auto [stop, failed] = std::from_chars(text.data(), end, value);
    return failed == std::errc() && stop == end && !text.empty();
}

template <typename Whole>
bool parseWhole(std::string_view text, std::int64_t low, std::int64_t high, Whole& value) {
    std::int64_t wide = 0;
    if (!parse(text, wide) || wide < low || wide > high) {
        return false;
    }
    value = static_cast<Whole>(wide);
    return true;
}

// "%i\t%u\t%u\t%0.4f\t%0.4f\t%0.3f\t%lu": twat, freq, spd, jqk, jair, jqt, tick.
bool parseSample(std::string_view line, measure::TestSample& s) {
    std::array<std::string_view, 7> cells;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t tab = line.find('\t');
        if ((tab == std::string_view::npos) != (i + 1 == cells.size())) {
            return false;
        }
        cells[i] = line.substr(0, tab);
        line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
    }
    constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
    s.filled = 1;
    return parseWhole(cells[0], -int32Max - 1, int32Max, s.twat) &&
           parseWhole(cells[1], 0, int32Max, s.freq) && parseWhole(cells[2], 0, int32Max, s.spd) &&
           parse(cells[3], s.jqk) && parse(cells[4], s.jair) && parse(cells[5], s.jqt) &&
           parseWhole(cells[6], 0, std::numeric_limits<std::uint32_t>::max(), s.tick);
}

bool isEmpty(std::string_view line) {
    return line.empty();
}

// The column header between its CR LF pairs.
bool isColumnLine(std::string_view line) {
    const std::string_view columns = reports::detailColumns;
    return line == columns.substr(2, columns.size() - 4);
}

// Reads the lines of one table from at; at is left after it.
class TableReader {
public:
    TableReader(const TextLines& fileLines, std::size_t& next, ReadError& problem)
        : lines(fileLines.lines), lastEnded(fileLines.lastEnded), at(next), error(problem) {}

    std::optional<SampleRun> read() {
        SampleRun run;
        run.firstLine = lineNumber();
        if (!head(run) || !samples(run)) {
            return std::nullopt;
        }
        return run;
    }

private:
    int lineNumber() const { return static_cast<int>(at) + 1; }
    // A line that is missing, or the last one without its line end, was cut off
    // (unless it is no line of a sample file at all).
    bool fail(ReadProblem problem) {
        const bool cut = at >= lines.size() || (at + 1 == lines.size() && !lastEnded &&
                                                problem != ReadProblem::unknownKind);
        error = {cut ? ReadProblem::cutShort : problem, lineNumber()};
        return false;
    }
    bool take(bool (*matches)(std::string_view), ReadProblem problem) {
        if (at >= lines.size() || !matches(lines[at])) {
            return fail(problem);
        }
        ++at;
        return true;
    }

    bool head(SampleRun& run) {
        if (!take(isStarLine, ReadProblem::unknownKind)) {
            return false;
        }
        run.test = at < lines.size() ? testOfSampleTitle(lines[at]) : nullptr;
        if (run.test == nullptr) {
            return fail(ReadProblem::unknownKind);
        }
        ++at;
        if (!take(isStarLine, ReadProblem::badHeader)) {
            return false;
        }
        if (at >= lines.size() || !lines[at].starts_with(datePrefix)) {
            return fail(ReadProblem::badHeader);
        }
        run.date = std::string(lines[at].substr(datePrefix.size()));
        if (run.date.size() != calendarTextSize) {
            return fail(ReadProblem::badDate);
        }
        ++at;
        return take(isEmpty, ReadProblem::badColumns) &&
               take(isColumnLine, ReadProblem::badColumns);
    }

    bool samples(SampleRun& run) {
        while (at < lines.size() && !lines[at].empty()) {
            if (run.samples.size() == maxSamples) {
                return fail(ReadProblem::tooManyRows);
            }
            measure::TestSample sample;
            if (!parseSample(lines[at], sample)) {
                return fail(ReadProblem::badRow);
            }
            run.samples.push_back(sample);
            ++at;
        }
        // Every run records the sample that met the start level and one more.
        return run.samples.size() >= 2 || fail(ReadProblem::cutShort);
    }

    const std::vector<std::string_view>& lines;
    bool lastEnded;
    std::size_t& at;
    ReadError& error;
};

}  // namespace

const console::RunDescriptor* testOfSampleTitle(std::string_view utf8Line) {
    for (const console::RunDescriptor* test :
         {&console::dynamicRun, &console::accelerationRun, &console::lossRun}) {
        const std::string_view title = titleOf(utf8Line);
        if (!title.empty() && title == titleOf(test->detailTitle[1])) {
            return test;
        }
    }
    return nullptr;
}

std::optional<std::vector<SampleRun>> readSampleFile(std::string_view bytes, ReadError& error) {
    if (const int nul = lineWithNul(bytes); nul != 0) {
        error = {ReadProblem::notText, nul};
        return std::nullopt;
    }
    const std::string text = platform::cp1251ToUtf8(bytes);
    const TextLines split = splitLines(text);
    std::vector<SampleRun> runs;
    std::size_t at = 0;
    for (;;) {
        while (at < split.lines.size() && split.lines[at].empty()) {
            ++at;
        }
        if (at == split.lines.size() && !runs.empty()) {
            break;
        }
        TableReader table(split, at, error);
        std::optional<SampleRun> run = table.read();
        if (!run) {
            // A second table that is none of the tester's is a damaged file.
            if (!runs.empty() && error.problem == ReadProblem::unknownKind) {
                error.problem = ReadProblem::badRow;
            }
            return std::nullopt;
        }
        runs.push_back(std::move(*run));
    }
    // Every line the tester writes ends in CR LF: a last line without it was cut.
    if (!split.lastEnded) {
        error = {ReadProblem::cutShort, static_cast<int>(split.lines.size())};
        return std::nullopt;
    }
    return runs;
}

}  // namespace ecuprobe::review
