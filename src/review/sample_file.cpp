#include "review/sample_file.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "measure/run_sampler.h"
#include "platform/code_pages.h"
#include "reports/measured_report.h"
#include "review/line_reader.h"

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

// A measured value: "nan" and "inf" are words, not measurements.
bool parseFinite(std::string_view text, float& value) {
    return parse(text, value) && std::isfinite(value);
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
           parseFinite(cells[3], s.jqk) && parseFinite(cells[4], s.jair) &&
           parseFinite(cells[5], s.jqt) &&
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

// Ticks are the system's milliseconds as a 32-bit count, which wraps after 49
// days: a run that spans the wrap goes on forward. A step back is no run.
bool timeGoesBack(std::uint32_t before, std::uint32_t after) {
    return static_cast<std::int32_t>(after - before) < 0;
}

// Reads the lines of one table from the current line on and leaves the reader after it.
class TableReader {
public:
    TableReader(LineReader& fileLines, ReadError& problem) : lines(fileLines), error(problem) {}

    std::optional<SampleRun> read() {
        SampleRun run;
        run.firstLine = lines.number();
        if (!head(run) || !samples(run)) {
            return std::nullopt;
        }
        return run;
    }

private:
    // A line that is missing, or the last one without its line end, was cut off
    // (unless it is no line of a sample file at all).
    bool fail(ReadProblem problem) {
        const bool cut = lines.atEnd() || (!lines.ended() && problem != ReadProblem::unknownKind);
        error = {cut ? ReadProblem::cutShort : problem, lines.number()};
        return false;
    }
    bool take(bool (*matches)(std::string_view), ReadProblem problem) {
        if (lines.atEnd() || !matches(*lines.peek())) {
            return fail(problem);
        }
        lines.advance();
        return true;
    }

    bool head(SampleRun& run) {
        if (!take(isStarLine, ReadProblem::unknownKind)) {
            return false;
        }
        run.test = lines.atEnd() ? nullptr : testOfSampleTitle(*lines.peek());
        if (run.test == nullptr) {
            return fail(ReadProblem::unknownKind);
        }
        lines.advance();
        if (!take(isStarLine, ReadProblem::badHeader)) {
            return false;
        }
        if (lines.atEnd() || !lines.peek()->starts_with(datePrefix)) {
            return fail(ReadProblem::badHeader);
        }
        run.date = lines.peek()->substr(datePrefix.size());
        if (run.date.size() != calendarTextSize) {
            return fail(ReadProblem::badDate);
        }
        lines.advance();
        return take(isEmpty, ReadProblem::badColumns) &&
               take(isColumnLine, ReadProblem::badColumns);
    }

    bool samples(SampleRun& run) {
        while (!lines.atEnd() && !lines.peek()->empty()) {
            if (run.samples.size() == maxSamples) {
                return fail(ReadProblem::tooManyRows);
            }
            measure::TestSample sample;
            if (!parseSample(*lines.peek(), sample)) {
                return fail(ReadProblem::badRow);
            }
            if (!run.samples.empty() && timeGoesBack(run.samples.back().tick, sample.tick)) {
                return fail(ReadProblem::timeBackwards);
            }
            run.samples.push_back(sample);
            lines.advance();
        }
        // Every run records the sample that met the start level and one more.
        return run.samples.size() >= 2 || fail(ReadProblem::cutShort);
    }

    LineReader& lines;
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
    LineReader lines(bytes, true);
    std::vector<SampleRun> runs;
    for (;;) {
        while (!lines.atEnd() && lines.peek()->empty()) {
            lines.advance();
        }
        if (lines.atEnd() && !runs.empty()) {
            break;
        }
        TableReader table(lines, error);
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
    if (!lines.passedLineEnded()) {
        error = {ReadProblem::cutShort, lines.number() - 1};
        return std::nullopt;
    }
    return runs;
}

}  // namespace ecuprobe::review
