#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/panel_controls.h"
#include "ecu/ecu_session.h"
#include "measure/run_sampler.h"
#include "reports/measured_report.h"
#include "reports/user_prompts.h"

namespace ecuprobe::console {

// A message of a test dialog: its text and caption (always with the error icon).
struct TestMessage {
    std::string_view text;
    std::string_view caption;
};

// The message a test shows for a run that did not end Ok.
struct RunErrorText {
    measure::SampleResult code;
    TestMessage message;
};

// The captions every test shows its messages under, and the one run error all
// three tests tell alike.
inline constexpr std::string_view inputCaption = "Ошибка задания параметров";
inline constexpr std::string_view runCaption = "Ошибка исполнения";
inline constexpr RunErrorText linkLostError{
    measure::SampleResult::LinkLost, {"Ошибка потеряна связь с ЭБУ", "Ошибка исполнения теста"}};

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

// A change per second; 0 for a run that took no time, rather than a division by zero.
float perSecond(std::int32_t change, float seconds);

// What the three measured test dialogs share: the run with its sample buffer,
// the messages for refused inputs and failed runs, and the report. A form lives
// on the link thread; a view shows its inputs and result texts and calls run().
class MeasuredTestForm {
public:
    MeasuredTestForm(ecu::EcuSession& ecuSession, reports::UserPrompts& userPrompts, bool saveFirst)
        : save(saveFirst), session(ecuSession), prompts(userPrompts) {}
    virtual ~MeasuredTestForm() = default;
    MeasuredTestForm(const MeasuredTestForm&) = delete;
    MeasuredTestForm& operator=(const MeasuredTestForm&) = delete;

    // The start button: checks the inputs, runs the sampler (set up by the caller
    // with its progress and stop), shows the results and, when save is ticked,
    // writes the report. A failed run leaves the previous results as they were.
    TestRun run(measure::TestSampler& sampler);
    bool running() const { return busy; }
    // The message run() would refuse the inputs with, none when they can be run:
    // for a face that checks them before it connects.
    std::optional<TestMessage> inputProblem() const { return refusedInput(); }

    // The read-only result fields of the dialog as it shows them, by control.
    virtual std::vector<std::pair<ControlId, std::string>> resultTexts() const = 0;
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

protected:
    // The message for inputs that cannot be run, none when they can.
    virtual std::optional<TestMessage> refusedInput() const = 0;
    // Sets the run record's levels and runs the sampler's variant of this test.
    virtual measure::SampleResult sample(measure::TestSampler& sampler,
                                         std::span<measure::TestSample> samples) = 0;
    virtual std::span<const RunErrorText> runErrors() const = 0;
    // Takes the results from the run record into the dialog's fields.
    virtual void takeResults() = 0;
    virtual TestReportTexts reportTexts() const = 0;

    // Seconds of the run: durationMs times the single-precision 0.001.
    float seconds() const;

    measure::TestResult result;

private:
    void show(const TestMessage& message);
    reports::ReportOutcome writeReport(std::span<const measure::TestSample> samples,
                                       const TestReportTexts& texts, bool besideDumpFile);

    ecu::EcuSession& session;
    reports::UserPrompts& prompts;
    measure::CrossingTimes crossing;
    std::vector<measure::TestSample> recordedSamples;
    // The report texts of a run whose report is still to be written.
    std::optional<TestReportTexts> unsaved;
    bool busy = false;
};

}  // namespace ecuprobe::console
