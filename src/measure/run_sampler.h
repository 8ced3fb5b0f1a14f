#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "ecu/ecu_session.h"
#include "measure/run_sample.h"

namespace ecuprobe::measure {

// Where a run stands after each sample, for a progress display.
struct SampleProgress {
    enum class Phase : std::uint8_t { arming, recording };
    Phase phase = Phase::arming;
    std::int32_t value = 0;  // the watched value: rpm or km/h
    std::int32_t startLimit = 0;
    std::int32_t endLimit = 0;
    int samples = 0;  // answers taken so far in this run
};

// The moments the watched value crossed the two levels, each interpolated
// between the two samples around it: finer than one sample period. A crossing
// met on the very first look has no sample before it and is not valid.
struct CrossingTimes {
    bool startValid = false;
    bool endValid = false;
    double startMs = 0;
    double endMs = 0;

    bool valid() const { return startValid && endValid; }
    double durationMs() const { return endMs - startMs; }
};

// What one paced poll of the test data set returns.
enum class SampleRequest : std::int8_t { answered = 0, unanswered = -1 };

constexpr std::string_view sampleRequestName(SampleRequest request) {
    return request == SampleRequest::answered ? "answered" : "unanswered";
}

// The measured tests' sampling loop: switches the ECU to the test data set, polls
// it as fast as the line allows, arms on the start level and records every answer
// until the end level, timing the two on the millisecond clock. A run blocks the
// link thread for its whole length and allocates nothing per sample.
class TestSampler {
public:
    // What every test hands to a run.
    static constexpr std::size_t bufferSize = 2000;

    explicit TestSampler(ecu::EcuSession& ecuSession) : session(ecuSession) {}

    // Called after every sample that the run looked at; runs on the link thread.
    void onProgress(std::function<void(const SampleProgress&)> callback) {
        progress = std::move(callback);
    }
    // Asked between two samples: when it says so, the run ends as Stopped. It must
    // be safe to call from the link thread (an atomic flag, a signal flag).
    void stopWhen(std::function<bool()> stopRequested) { shouldStop = std::move(stopRequested); }

    SampleResult runRpmRise(TestResult& result, std::span<TestSample> samples);
    SampleResult runRpmFall(TestResult& result, std::span<TestSample> samples);
    SampleResult runSpeedRise(TestResult& result, std::span<TestSample> samples);
    SampleResult runSpeedFall(TestResult& result, std::span<TestSample> samples);

    // One paced poll of the test data set.
    SampleRequest requestSample();
    void fillSample(TestSample& sample);
    // Raise / lower samplingActive and exchangeBusy together: the link check and
    // the console's poll stay off the line from the first request of a run to its end.
    void beginSampling();
    void endSampling();

    // The interpolated crossings of the last run that ended Ok.
    const CrossingTimes& crossings() const { return crossing; }

private:
    enum class Watched : std::uint8_t { rpm, speed };

    // The watched values and clock of one answer, for interpolating crossings.
    struct Look {
        std::int32_t rpm = 0;
        std::int32_t speed = 0;
        std::uint32_t tick = 0;
    };

    SampleResult runRising(Watched watched, TestResult& result, std::span<TestSample> samples);
    SampleResult runFalling(Watched watched, TestResult& result, std::span<TestSample> samples);
    // What every run checks before its first sample, with nothing taken yet: how it
    // ends at once without a link, or without the speed sensor a speed run needs.
    std::optional<SampleResult> refusedStart(Watched watched);
    // Takes answers until the watched value is at or above (upward) or has fallen
    // back to or below level, counting them in counter; false with outcome set when
    // the run ends first, onLimit when the counter reaches the limit.
    bool arm(Watched watched, bool upward, std::int32_t level, int& counter, SampleResult onLimit,
             const TestResult& result, std::size_t capacity, SampleResult& outcome);
    // Records from the answer that met the start level until the end level;
    // counter goes on from the arming that came before.
    SampleResult record(Watched watched, bool rising, int& counter, TestResult& result,
                        std::span<TestSample> samples);
    // Takes the next sample; false when the run must end (a lost link or a stop),
    // with outcome set and the flags cleared.
    bool nextSample(SampleResult& outcome);
    SampleResult endWith(SampleResult outcome);
    std::int32_t value(Watched watched, const Look& look) const;
    void report(SampleProgress::Phase phase, Watched watched, const TestResult& result);
    // The moment the watched value crossed level between the last two answers.
    bool interpolate(Watched watched, bool rising, std::int32_t level, double& atMs) const;
    static int limitFor(std::size_t capacity);
    static void clearSamples(std::span<TestSample> samples);

    ecu::EcuSession& session;
    // Held from the first sample request of a run to its end.
    std::optional<ecu::ExchangeBusyGuard> busy;
    std::function<void(const SampleProgress&)> progress;
    std::function<bool()> shouldStop;
    int taken = 0;
    Look previous;
    Look latest;
    CrossingTimes crossing;
};

}  // namespace ecuprobe::measure
