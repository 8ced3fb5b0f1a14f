#include "review/run_figures.h"

#include <algorithm>
#include <cmath>

#include "reports/report_text.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view pairBefore = " до:";

// The decimals of the line's first conversion: "%.4f" gives 4, "%4i" none.
int decimalsOf(std::string_view format) {
    const std::size_t percent = format.find('%');
    const std::size_t conversion = format.find_first_of("fiux", percent);
    const std::string_view spec = format.substr(percent, conversion - percent);
    if (format[conversion] != 'f') {
        return 0;
    }
    const std::size_t dot = spec.find('.');
    return dot == std::string_view::npos ? 6 : std::stoi(std::string(spec.substr(dot + 1)));
}

// " Температура охлаждающей жидкости до: %4i\tпосле: ..." gives the words before
// "до:" or the value, without line ends, blanks, tabs and colon.
std::string captionOf(std::string_view format, bool pair) {
    std::string_view caption = format.substr(0, format.find('%'));
    if (pair) {
        caption = caption.substr(0, caption.rfind(pairBefore));
    }
    const std::size_t first = caption.find_first_not_of("\r\n \t");
    const std::size_t last = caption.find_last_not_of(" \t:");
    return first > last ? std::string() : std::string(caption.substr(first, last - first + 1));
}

struct Range {
    std::int64_t low;
    std::int64_t high;
    bool meets(const Range& other) const { return low <= other.high && other.low <= high; }
};

// The values between a and b, whichever is larger (a damaged file may have them
// either way), with slack either side.
Range around(std::int64_t a, std::int64_t b, std::int64_t slack) {
    return {std::min(a, b) - slack, std::max(a, b) + slack};
}

// Where the start and end levels of a run can lie, one raw step of slack either
// side; the step before the first sample, not recorded, is taken as the one after it.
struct LevelRanges {
    bool rising;
    Range start;
    Range end;
};

LevelRanges levelRanges(const console::RunDescriptor& test,
                        std::span<const measure::TestSample> samples) {
    const bool speed = test.watchesSpeed;
    const std::int64_t step = speed ? 1 : 40;
    auto value = [&](std::size_t i) -> std::int64_t {
        return speed ? samples[i].spd : samples[i].freq;
    };
    const std::size_t last = samples.size() - 1;
    const std::size_t beforeLast = last > 0 ? last - 1 : 0;
    const std::int64_t first = value(0);
    const std::int64_t firstStep =
        std::max(step, std::abs(value(std::min<std::size_t>(1, last)) - first));
    const bool rising =
        test.variant == console::RunVariant::rpmRise ||
        (test.variant == console::RunVariant::speedRiseOrFall && value(last) >= first);
    if (rising) {
        return {true, around(first - firstStep, first, step),
                around(value(beforeLast), value(last), step)};
    }
    return {false, around(first, first + firstStep, step),
            around(value(last), value(beforeLast), step)};
}

Refusal fits(const SampleRun& first, const SampleRun& other) {
    if (other.test != first.test) {
        return Refusal::otherTest;
    }
    const LevelRanges a = levelRanges(*first.test, first.samples);
    const LevelRanges b = levelRanges(*other.test, other.samples);
    if (a.rising != b.rising) {
        return Refusal::otherDirection;
    }
    return a.start.meets(b.start) && a.end.meets(b.end) ? Refusal::none : Refusal::otherLevels;
}

}  // namespace

std::vector<FigureRow> figureRows(const console::RunDescriptor& test) {
    std::vector<FigureRow> rows;
    for (const console::ReportLine& line : test.report) {
        if (line.first == console::Quantity::gear) {
            continue;
        }
        const std::string caption = captionOf(line.format, line.second.has_value());
        const std::string unit(line.format.substr(line.format.rfind('\t') + 1));
        const int decimals = decimalsOf(line.format);
        if (line.second) {
            rows.push_back({caption + " до", unit, line.first, decimals});
            rows.push_back({caption + " после", unit, *line.second, decimals});
        } else {
            rows.push_back({caption, unit, line.first, decimals});
        }
    }
    return rows;
}

measure::TestResult recordOf(std::span<const measure::TestSample> samples) {
    measure::TestResult record;
    if (samples.empty()) {
        return record;
    }
    measure::copyFirstAndLast(samples.front(), samples.back(), record);
    // Unsigned: the duration survives the wrap of the tick count.
    record.durationMs = samples.back().tick - samples.front().tick;
    return record;
}

std::vector<double> figureValues(const console::RunDescriptor& test,
                                 const measure::TestResult& record) {
    const float seconds = console::runSeconds(record);
    std::vector<double> values;
    for (const FigureRow& row : figureRows(test)) {
        const console::FieldValue value = console::valueOf(row.quantity, record, seconds, 0);
        const float* real = std::get_if<float>(&value);
        values.push_back(real != nullptr ? double{*real}
                                         : static_cast<double>(std::get<std::int64_t>(value)));
    }
    return values;
}

std::string figureText(const FigureRow& row, double value) {
    return reports::fixed(value, row.decimals);
}

double Comparison::delta(std::size_t run, std::size_t row) const {
    return values[run][row] - values[0][row];
}

std::optional<double> Comparison::deltaPercent(std::size_t run, std::size_t row) const {
    const double base = values[0][row];
    if (base == 0) {
        return std::nullopt;
    }
    return delta(run, row) / std::abs(base) * 100.0;
}

CompareOutcome compareRuns(std::span<const SampleRun> runs) {
    CompareOutcome outcome;
    if (runs.empty() || runs[0].test == nullptr || runs[0].samples.empty()) {
        outcome.refusal = Refusal::noRuns;
        return outcome;
    }
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].samples.empty()) {
            outcome.refusal = Refusal::noRuns;
        } else {
            outcome.refusal = fits(runs[0], runs[i]);
        }
        if (outcome.refusal != Refusal::none) {
            outcome.refusedRun = i;
            return outcome;
        }
    }
    Comparison comparison;
    comparison.test = runs[0].test;
    comparison.rows = figureRows(*comparison.test);
    for (const SampleRun& run : runs) {
        comparison.values.push_back(figureValues(*run.test, recordOf(run.samples)));
    }
    outcome.comparison = std::move(comparison);
    return outcome;
}

std::string_view refusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::none:
            return "";
        case Refusal::noRuns:
            return "нет заездов для сравнения";
        case Refusal::otherTest:
            return "заезд другого теста: сравниваются только заезды одного теста";
        case Refusal::otherDirection:
            return "разгон и торможение не сравниваются";
        case Refusal::otherLevels:
            break;
    }
    return "другие начальный или конечный уровни: сравниваются только заезды с одними уровнями";
}

}  // namespace ecuprobe::review
