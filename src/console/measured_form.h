#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/panel_controls.h"
#include "console/run_descriptor.h"
#include "ecu/ecu_session.h"
#include "measure/run_sampler.h"
#include "reports/measured_report.h"
#include "reports/user_prompts.h"

namespace ecuprobe::console {

// How a click on a test's start button ended.
struct TestRun {
    bool started = false;  // false: an input was refused, nothing was sent
    measure::SampleResult result = measure::SampleResult::Ok;
    // When the results were to be saved: how writing them went.
    std::optional<reports::ReportOutcome> report;
};

// The four texts a test writes its report with.
struct TestReportTexts {
    reports::TitleLines title;
    std::string body;
    std::string_view detailExtension;
    reports::TitleLines detailTitle;
};

// A measured test's dialog as its descriptor row gives it: the levels and gear,
// the run with its sample buffer, the messages for refused inputs and failed runs,
// the result fields and the report. A form lives on the link thread; a view shows
// its inputs and result texts and calls run().
class MeasuredForm {
public:
    MeasuredForm(const RunDescriptor& descriptor, ecu::EcuSession& ecuSession,
                 reports::UserPrompts& userPrompts);
    MeasuredForm(const MeasuredForm&) = delete;
    MeasuredForm& operator=(const MeasuredForm&) = delete;

    const RunDescriptor& test() const { return row; }

    void setLevels(std::int64_t start, std::int64_t end);
    std::int64_t startLevel() const { return start; }
    std::int64_t endLevel() const { return end; }
    // "На ходу", where the test has it: the gear buttons become usable, gear 2 chosen.
    void clickOnTheMove();
    // A gear button, 1..4 (0 for none where there is no "На ходу"); a test with
    // "На ходу" takes one only while on the move.
    void chooseGear(int number);
    bool onTheMove() const { return moving; }
    int gear() const { return chosenGear; }

    // The start button: checks the inputs, runs the sampler (set up by the caller
    // with its progress and stop), shows the results and, when save is ticked,
    // writes the report. A failed run leaves the previous results as they were, but
    // any start, refused or not, drops the last run's report still to be written.
    TestRun run(measure::TestSampler& sampler);
    bool running() const { return busy; }
    // The message run() would refuse the inputs with, none when they can be run:
    // for a face that checks them before it connects.
    std::optional<TestMessage> inputProblem() const { return refusedLevels(row, start, end); }

    // The read-only result fields of the dialog as it shows them, by control.
    std::vector<std::pair<ControlId, std::string>> resultTexts() const;
    const measure::TestResult& record() const { return result; }
    // The interpolated crossings of the last run that ended Ok.
    const measure::CrossingTimes& crossings() const { return crossing; }
    // The samples that run recorded, up to the first unfilled one: for a chart.
    const std::vector<measure::TestSample>& recorded() const { return recordedSamples; }
    // The last run's report was asked for and not written whole (cancelled, or a
    // file failed): its results and samples are kept until the next run.
    bool unsavedRun() const { return unsaved.has_value(); }
    // Writes that run's report to a dump file asked for afresh (the one that failed
    // is not offered again), with its sample file in the same folder.
    reports::ReportOutcome saveLastRun();

    bool save;

private:
    void show(const TestMessage& message);
    // Sets the run record's levels and runs the sampler's variant of this test.
    measure::SampleResult sample(measure::TestSampler& sampler,
                                 std::span<measure::TestSample> samples);
    // Takes the results from the run record into the dialog's fields.
    void takeResults();
    TestReportTexts reportTexts() const;
    reports::ReportOutcome writeReport(std::span<const measure::TestSample> samples,
                                       const TestReportTexts& texts, bool besideDumpFile);

    const RunDescriptor& row;
    ecu::EcuSession& session;
    reports::UserPrompts& prompts;
    std::int64_t start;
    std::int64_t end;
    bool moving = false;
    int chosenGear = 0;
    measure::TestResult result;
    // What each result field shows, in the order of the descriptor's fields.
    std::vector<FieldValue> shown;
    measure::CrossingTimes crossing;
    std::vector<measure::TestSample> recordedSamples;
    // The report texts of a run whose report is still to be written.
    std::optional<TestReportTexts> unsaved;
    bool busy = false;
};

}  // namespace ecuprobe::console
