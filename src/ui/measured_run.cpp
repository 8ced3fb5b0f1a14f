#include "ui/measured_run.h"

#include "reports/measured_report.h"

namespace ecuprobe::ui {

LinkWorker::Service TestRunState::service(std::shared_ptr<TestRunState> state, Inputs inputs,
                                          std::function<void()> progressArrived) {
    return [state, inputs, progressArrived](console::TesterPanel& panel, reports::UserPrompts&) {
        state->run(panel, inputs, progressArrived);
    };
}

void TestRunState::run(console::TesterPanel& panel, const Inputs& inputs,
                       const std::function<void()>& progressArrived) {
    if (!form) {
        form = panel.testForm(kind);
    }
    inputs(*form);
    measure::TestSampler sampler(panel.ecuSession());
    sampler.onProgress([this, &progressArrived](const measure::SampleProgress& progress) {
        offer(progress, progressArrived);
    });
    sampler.stopWhen([this] { return stop.load(); });
    last.run = panel.runTest(*form, sampler);
    last.results = form->resultTexts();
    if (last.run.result == measure::SampleResult::Ok) {
        last.curve = console::runCurve(form->recorded(), form->crossings(), form->record(),
                                       form->test().watchesSpeed);
    }
    noteReport();
}

LinkWorker::Service TestRunState::saveService(std::shared_ptr<TestRunState> state) {
    return [state](console::TesterPanel&, reports::UserPrompts&) { state->saveLastRun(); };
}

void TestRunState::saveLastRun() {
    if (!form || !form->unsavedRun()) {
        return;
    }
    last.run.report = form->saveLastRun();
    noteReport();
}

void TestRunState::noteReport() {
    const bool saved = last.run.report == reports::ReportOutcome::saved;
    const bool failed = last.run.report == reports::ReportOutcome::reportFailed;
    last.reportPath = saved ? reports::currentDumpPath : std::string();
    last.reportProblem = failed ? reports::lastReportProblem : std::string();
    last.unsaved = form->unsavedRun();
}

void TestRunState::offer(const measure::SampleProgress& progress,
                         const std::function<void()>& progressArrived) {
    bool post = false;
    {
        const std::lock_guard<std::mutex> hold(progressLock);
        latest = progress;
        post = !progressWaiting;
        progressWaiting = true;
    }
    // At most one taking waits in the GUI's queue, however fast the samples come.
    if (post) {
        progressArrived();
    }
}

measure::SampleProgress TestRunState::takeProgress() {
    const std::lock_guard<std::mutex> hold(progressLock);
    progressWaiting = false;
    return latest;
}

}  // namespace ecuprobe::ui
