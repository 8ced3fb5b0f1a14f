#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "console/measured_form.h"
#include "console/run_curve.h"
#include "console/tester_panel.h"
#include "measure/run_sampler.h"
#include "ui/link_worker.h"

namespace ecuprobe::ui {

// How one click on a test's start button went, as its dialog shows it.
struct TestRunOutcome {
    console::TestRun run;
    std::vector<std::pair<console::ControlId, std::string>> results;
    console::RunCurve curve;
    // The dump file the report went to, when it was saved.
    std::string reportPath;
    // The dump file that could not be opened or written and why; empty otherwise.
    std::string reportProblem;
    // The report was asked for and not written: the form keeps the run to save again.
    bool unsaved = false;
};

// What a test dialog shares with the link thread: the test's form, which lives
// and runs there for as long as the dialog is open, the stop flag, the latest
// progress and the outcome of the last run. The dialog never touches the form.
class TestRunState {
public:
    // Puts the dialog's inputs into the form, on the link thread before the run.
    using Inputs = std::function<void(console::MeasuredForm&)>;

    explicit TestRunState(console::DialogKind testKind) : kind(testKind) {}

    // The start button's service. progressArrived is called on the link thread
    // when there is progress to take and none was waiting: it posts the taking.
    static LinkWorker::Service service(std::shared_ptr<TestRunState> state, Inputs inputs,
                                       std::function<void()> progressArrived);
    // The service that writes the report of the last run again, when it was not.
    static LinkWorker::Service saveService(std::shared_ptr<TestRunState> state);

    // Asked between two samples; clearStop() before each run.
    void requestStop() { stop = true; }
    void clearStop() { stop = false; }
    // The latest progress; the next one calls progressArrived again.
    measure::SampleProgress takeProgress();
    // Valid once the service's done has come: the link thread wrote it before.
    const TestRunOutcome& outcome() const { return last; }

private:
    void run(console::TesterPanel& panel, const Inputs& inputs,
             const std::function<void()>& progressArrived);
    void saveLastRun();
    // Where the last run's report went, or why it did not.
    void noteReport();
    void offer(const measure::SampleProgress& progress,
               const std::function<void()>& progressArrived);

    console::DialogKind kind;
    std::unique_ptr<console::MeasuredForm> form;
    std::atomic<bool> stop{false};
    std::mutex progressLock;
    measure::SampleProgress latest;
    bool progressWaiting = false;
    TestRunOutcome last;
};

}  // namespace ecuprobe::ui
