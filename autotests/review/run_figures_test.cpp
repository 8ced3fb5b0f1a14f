// A saved run's figures recomputed from its samples, runs side by side, and the
// same figures against the report the test wrote for a run on the simulated car.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/measured_form.h"
#include "report_test_support.h"
#include "reports/line_format.h"
#include "review/run_figures.h"
#include "review/saved_file.h"
#include "simulated_run_up.h"

namespace ecuprobe::review {
namespace {

measure::TestSample sample(std::int32_t freq, std::int32_t spd, std::uint32_t tick) {
    measure::TestSample s;
    s.filled = 1;
    s.freq = freq;
    s.spd = spd;
    s.tick = tick;
    return s;
}

// A run of a test through the given watched values, one sample every 100 ms.
SampleRun runOf(const console::RunDescriptor& test, std::vector<std::int32_t> values) {
    SampleRun run;
    run.test = &test;
    std::uint32_t tick = 0xFFFFFF00u;  // the tick count wraps during the run
    for (const std::int32_t value : values) {
        run.samples.push_back(test.watchesSpeed ? sample(2000, value, tick)
                                                : sample(value, 0, tick));
        tick += 100;
    }
    return run;
}

double figure(const Comparison& comparison, std::size_t run, std::string_view caption) {
    for (std::size_t row = 0; row < comparison.rows.size(); ++row) {
        if (comparison.rows[row].caption == caption) {
            return comparison.values[run][row];
        }
    }
    ADD_FAILURE() << "no figure " << caption;
    return 0;
}

TEST(RunFigures, AreTheTestsOwnFromTheFirstAndLastSampleWithDifferencesToTheFirstRun) {
    const std::vector<SampleRun> runs{runOf(console::dynamicRun, {2000, 3000, 4000, 5520}),
                                      runOf(console::dynamicRun, {2040, 4000, 5600})};
    const CompareOutcome outcome = compareRuns(runs);
    ASSERT_TRUE(outcome.comparison) << refusalText(outcome.refusal);
    const Comparison& c = *outcome.comparison;
    EXPECT_DOUBLE_EQ(figure(c, 0, "Длительность разгона"), double{0.3f});
    EXPECT_DOUBLE_EQ(figure(c, 0, "Ускорение оборотов двигателя"), double{3520 / 0.3f});
    EXPECT_EQ(figure(c, 1, "Скорость вращения двигателя после"), 5600);
    const std::size_t duration = 0;
    EXPECT_EQ(c.rows[duration].unit, "cек.");
    EXPECT_EQ(figureText(c.rows[duration], c.values[1][duration]), "0.2000");
    EXPECT_NEAR(c.delta(1, duration), -0.1, 1e-6);
    EXPECT_NEAR(*c.deltaPercent(1, duration), -100.0 / 3, 1e-4);
}

TEST(RunFigures, RefuseRunsOfAnotherTestDirectionOrLevels) {
    struct Case {
        SampleRun other;
        Refusal refusal;
    };
    const SampleRun first = runOf(console::accelerationRun, {20, 21, 40, 60, 79, 80});
    for (const Case& c : {
             Case{runOf(console::accelerationRun, {21, 22, 50, 79, 81}), Refusal::none},
             Case{runOf(console::accelerationRun, {80, 79, 40, 21, 20}), Refusal::otherDirection},
             Case{runOf(console::accelerationRun, {20, 21, 40, 60, 69, 70}), Refusal::otherLevels},
             Case{runOf(console::accelerationRun, {30, 31, 50, 79, 80}), Refusal::otherLevels},
             Case{runOf(console::dynamicRun, {2000, 5520}), Refusal::otherTest},
         }) {
        const std::vector<SampleRun> runs{first, c.other};
        const CompareOutcome outcome = compareRuns(runs);
        EXPECT_EQ(outcome.refusal, c.refusal) << c.other.samples.back().spd;
        EXPECT_EQ(outcome.comparison.has_value(), c.refusal == Refusal::none);
    }
}

// The body lines a standing dynamic run's report holds for a record, with "\n"
// for the CR LF, as the dump reader gives the text.
std::vector<std::string> reportLines(const measure::TestResult& record) {
    std::vector<std::string> lines;
    const float seconds = console::runSeconds(record);
    auto value = [&](console::Quantity q) -> reports::LineValue {
        const console::FieldValue v = console::valueOf(q, record, seconds, 0);
        const float* real = std::get_if<float>(&v);
        return real != nullptr ? reports::LineValue{double{*real}}
                               : reports::LineValue{std::get<std::int64_t>(v)};
    };
    for (const console::ReportLine& line : console::dynamicRun.report) {
        if (line.onTheMoveOnly) {
            continue;
        }
        std::string text =
            line.second ? reports::formatLine(line.format, {value(line.first), value(*line.second)})
                        : reports::formatLine(line.format, {value(line.first)});
        std::erase(text, '\r');
        lines.push_back(text);
    }
    return lines;
}

// A standing run-up on the simulated car, saved as "Сохранить" does.
void runUpOnTheSimulator(std::uint64_t seed) {
    sim::SimulatedEcuOptions car;
    car.seed = seed;
    const std::string problem = ecuprobe::testing::saveRunUpOnTheSimulator(car, std::nullopt);
    ASSERT_EQ(problem, "");
}

TEST(RunFigures, RecomputedFromTheSampleFileAreThoseTheReportOfTheSameRunHolds) {
    reports::testing::ScratchFolder scratch;
    reports::currentDumpPath = (scratch.path / "car.tdm").string();
    runUpOnTheSimulator(1);
    runUpOnTheSimulator(7);
    reports::currentDumpPath.clear();

    ReadError error;
    const auto dump = readSavedFile((scratch.path / "car.tdm").string(), error);
    ASSERT_TRUE(dump) << errorText(error);
    const auto& entries = std::get<std::vector<DumpEntry>>(*dump);
    ASSERT_EQ(entries.size(), 2u);
    std::vector<SampleRun> runs;
    for (const DumpEntry& entry : entries) {
        const auto saved = readSavedFile((scratch.path / entry.sampleFile).string(), error);
        ASSERT_TRUE(saved) << entry.sampleFile << ": " << errorText(error);
        const SampleRun& run = std::get<std::vector<SampleRun>>(*saved).front();
        for (const std::string& line : reportLines(recordOf(run.samples))) {
            EXPECT_NE(entry.text.find(line), std::string::npos) << line << "\nin\n" << entry.text;
        }
        runs.push_back(run);
    }
    const CompareOutcome outcome = compareRuns(runs);
    ASSERT_TRUE(outcome.comparison) << refusalText(outcome.refusal);
    EXPECT_EQ(outcome.comparison->values.size(), 2u);
}

}  // namespace
}  // namespace ecuprobe::review
