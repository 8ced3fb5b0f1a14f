#include "ui/measured_run.h"

#include <cmath>

#include "reports/measured_report.h"

namespace ecuprobe::ui {

namespace {

// Milliseconds from a tick to a moment of the same run on the millisecond clock,
// which wraps at 2^32; the crossings lie within a sample period of the samples.
double msAfter(std::uint32_t tick, double atMs) {
    constexpr double wrap = 4294967296.0;
    double since = std::fmod(atMs - tick, wrap);
    if (since > wrap / 2) {
        since -= wrap;
    } else if (since < -wrap / 2) {
        since += wrap;
    }
    return since;
}

}  // namespace

RunCurve runCurve(std::span<const measure::TestSample> samples,
                  const measure::CrossingTimes& crossings, const measure::TestResult& record,
                  bool watchesSpeed) {
    RunCurve curve;
    curve.startLevel = record.startLimit;
    curve.endLevel = record.endLimit;
    if (samples.empty()) {
        return curve;
    }
    const std::uint32_t firstTick = samples.front().tick;
    const double originMs = crossings.startValid ? msAfter(firstTick, crossings.startMs) : 0.0;
    for (const measure::TestSample& sample : samples) {
        // Unsigned: the distance survives the wrap of the tick count.
        const double sinceFirstMs = static_cast<std::uint32_t>(sample.tick - firstTick);
        curve.points.push_back({(sinceFirstMs - originMs) / 1000.0,
                                static_cast<double>(watchesSpeed ? sample.spd : sample.freq)});
    }
    if (crossings.startValid) {
        curve.startSeconds = 0.0;
    }
    if (crossings.endValid) {
        curve.endSeconds = (msAfter(firstTick, crossings.endMs) - originMs) / 1000.0;
    }
    return curve;
}

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
        last.curve = runCurve(form->recorded(), form->crossings(), form->record(), watchesSpeed());
    }
    last.reportPath =
        last.run.report == reports::ReportOutcome::saved ? reports::currentDumpPath : std::string();
    last.unsaved = form->unsavedRun();
}

LinkWorker::Service TestRunState::saveService(std::shared_ptr<TestRunState> state) {
    return [state](console::TesterPanel&, reports::UserPrompts&) { state->saveLastRun(); };
}

void TestRunState::saveLastRun() {
    if (!form || !form->unsavedRun()) {
        return;
    }
    last.run.report = form->saveLastRun();
    last.reportPath =
        last.run.report == reports::ReportOutcome::saved ? reports::currentDumpPath : std::string();
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
