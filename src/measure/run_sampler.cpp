#include "measure/run_sampler.h"

#include <algorithm>

namespace ecuprobe::measure {

namespace {

constexpr std::uint32_t pacingMs = 50;
constexpr std::int32_t engineRunningRpm = 400;
constexpr std::uint8_t testDataSetSelected = 1;
constexpr float tenth = 0.1f;
// JQK in steps of 1/128 l/100 km; a raw value from 0xAF00 (350 l/100 km) up reads 0.
constexpr float jqkStep = 0.0078125f;
constexpr std::uint32_t jqkRawLimit = 0xAF00;

std::uint32_t word(std::span<const std::uint8_t> answer, std::size_t at) {
    return answer[at] | static_cast<std::uint32_t>(answer[at + 1]) << 8;
}

// Fuel per distance from the same answer: l/h * 100 / (km/h), held to the ECU's steps.
float fuelPerDistance(float litresPerHour, std::int32_t kmh) {
    if (kmh <= 0) {
        return 0;
    }
    const double raw = static_cast<double>(litresPerHour) * 100.0 / kmh / jqkStep;
    if (raw >= jqkRawLimit) {
        return 0;
    }
    return static_cast<float>(static_cast<std::uint32_t>(raw)) * jqkStep;
}

}  // namespace

std::string_view sampleResultName(SampleResult result) {
    switch (result) {
        case SampleResult::Ok:
            return "Ok";
        case SampleResult::LinkLost:
            return "LinkLost";
        case SampleResult::StartCondition:
            return "StartCondition";
        case SampleResult::StartTimeout:
            return "StartTimeout";
        case SampleResult::EndTimeout:
            return "EndTimeout";
        case SampleResult::EngineStopped:
            return "EngineStopped";
        case SampleResult::NoSpeedSensor:
            return "NoSpeedSensor";
        case SampleResult::Stopped:
            break;
    }
    return "Stopped";
}

void TestSampler::beginSampling() {
    session.setSamplingActive(true);
    if (!busy) {
        busy.emplace();
    }
}

void TestSampler::endSampling() {
    session.setSamplingActive(false);
    busy.reset();
}

SampleRequest TestSampler::requestSample() {
    if (session.connected() == 0) {
        return SampleRequest::unanswered;
    }
    beginSampling();
    session.sleepMs(pacingMs);
    if (session.dataSetState() != testDataSetSelected) {
        session.selectTestDataSet();
    }
    // A shorter answer would put its checksum and terminator into the values.
    if (session.readSelectedDataSet() && session.lastAnswerLength() >= ecu::testDataSetLength) {
        return SampleRequest::answered;
    }
    session.readSlowGroupNext();
    return SampleRequest::unanswered;
}

void TestSampler::fillSample(TestSample& sample) {
    const std::span<const std::uint8_t> answer = session.lastAnswer();
    const ecu::TestDataSetPositions& at = session.testPositions();
    sample.filled = 1;
    sample.freq = answer[at.freq] * 40;
    sample.twat = answer[at.twat] - 40;
    sample.jqt = static_cast<float>(word(answer, at.jqt)) * tenth;
    sample.jair = static_cast<float>(word(answer, at.jair)) * tenth;
    sample.tick = session.tickMs();
    sample.spd = answer[at.spd];
    sample.jqk =
        session.identity().hasSpeedSensor != 0 ? fuelPerDistance(sample.jqt, sample.spd) : 0;
}

SampleResult TestSampler::endWith(SampleResult outcome) {
    endSampling();
    return outcome;
}

bool TestSampler::nextSample(SampleResult& outcome) {
    if (shouldStop && shouldStop()) {
        outcome = endWith(SampleResult::Stopped);
        return false;
    }
    if (requestSample() != SampleRequest::answered) {
        outcome = endWith(SampleResult::LinkLost);
        return false;
    }
    const std::span<const std::uint8_t> answer = session.lastAnswer();
    previous = latest;
    latest = {answer[session.testPositions().freq] * 40, answer[session.testPositions().spd],
              session.tickMs()};
    ++taken;
    return true;
}

std::int32_t TestSampler::value(Watched watched, const Look& look) const {
    return watched == Watched::rpm ? look.rpm : look.speed;
}

void TestSampler::report(SampleProgress::Phase phase, Watched watched, const TestResult& result) {
    if (progress) {
        progress({phase, value(watched, latest), result.startLimit, result.endLimit, taken});
    }
}

// The raw values are truncated to steps of 40 rpm or 1 km/h: a raw value r stands
// for a true value in [r, r + step), best taken as r + step / 2. Rising, the run's
// condition raw >= level holds from the moment the true value reaches level;
// falling, raw <= level holds once the true value is below level + step.
bool TestSampler::interpolate(Watched watched, bool rising, std::int32_t level,
                              double& atMs) const {
    const std::int32_t before = value(watched, previous);
    const std::int32_t after = value(watched, latest);
    const bool brackets =
        rising ? before < level && level <= after : before > level && level >= after;
    if (taken < 2 || !brackets) {
        return false;
    }
    const double step = watched == Watched::rpm ? 40.0 : 1.0;
    const double crossed = rising ? level : level + step;
    const double fraction =
        std::clamp((crossed - (before + step / 2)) / (after - before), 0.0, 1.0);
    atMs = previous.tick + fraction * static_cast<std::uint32_t>(latest.tick - previous.tick);
    return true;
}

int TestSampler::limitFor(std::size_t capacity) {
    return static_cast<int>(capacity) - 2;
}

void TestSampler::clearSamples(std::span<TestSample> samples) {
    for (TestSample& sample : samples) {
        sample.filled = 0;
    }
}

SampleResult TestSampler::runRpmRise(TestResult& result, std::span<TestSample> samples) {
    return runRising(Watched::rpm, result, samples);
}

SampleResult TestSampler::runSpeedRise(TestResult& result, std::span<TestSample> samples) {
    return runRising(Watched::speed, result, samples);
}

SampleResult TestSampler::runRpmFall(TestResult& result, std::span<TestSample> samples) {
    return runFalling(Watched::rpm, result, samples);
}

SampleResult TestSampler::runSpeedFall(TestResult& result, std::span<TestSample> samples) {
    return runFalling(Watched::speed, result, samples);
}

bool TestSampler::arm(Watched watched, bool upward, std::int32_t level, int& counter,
                      SampleResult onLimit, const TestResult& result, std::size_t capacity,
                      SampleResult& outcome) {
    counter = 0;
    // Downward, the value must have fallen from the highest it reached since it
    // got to the level: a raw value that sits on the level for two answers on its
    // way up has not fallen back to it yet.
    std::int32_t peak = value(watched, latest);
    if (!nextSample(outcome)) {
        return false;
    }
    for (;;) {
        report(SampleProgress::Phase::arming, watched, result);
        if (++counter >= limitFor(capacity)) {
            outcome = endWith(onLimit);
            return false;
        }
        const std::int32_t now = value(watched, latest);
        peak = std::max(peak, now);
        if (upward ? now >= level : now <= level && now < peak) {
            return true;
        }
        if (!nextSample(outcome)) {
            return false;
        }
    }
}

std::optional<SampleResult> TestSampler::refusedStart(Watched watched) {
    taken = 0;
    crossing = {};
    if (session.connected() == 0) {
        return SampleResult::LinkLost;
    }
    if (watched == Watched::speed && session.identity().hasSpeedSensor == 0) {
        return endWith(SampleResult::NoSpeedSensor);
    }
    return std::nullopt;
}

SampleResult TestSampler::runRising(Watched watched, TestResult& result,
                                    std::span<TestSample> samples) {
    if (const std::optional<SampleResult> refused = refusedStart(watched)) {
        return *refused;
    }
    SampleResult outcome = SampleResult::Ok;
    if (!nextSample(outcome)) {
        return outcome;
    }
    if (value(watched, latest) > result.startLimit) {
        return endWith(SampleResult::StartCondition);
    }
    if (watched == Watched::rpm && latest.rpm < engineRunningRpm) {
        return endWith(SampleResult::EngineStopped);
    }
    clearSamples(samples);
    int n = 0;
    if (!arm(watched, true, result.startLimit, n, SampleResult::StartTimeout, result,
             samples.size(), outcome)) {
        return outcome;
    }
    crossing.startValid = interpolate(watched, true, result.startLimit, crossing.startMs);
    return record(watched, true, n, result, samples);
}

SampleResult TestSampler::runFalling(Watched watched, TestResult& result,
                                     std::span<TestSample> samples) {
    if (const std::optional<SampleResult> refused = refusedStart(watched)) {
        return *refused;
    }
    clearSamples(samples);
    SampleResult outcome = SampleResult::Ok;
    if (watched == Watched::rpm) {
        if (!nextSample(outcome)) {
            return outcome;
        }
        if (latest.rpm < engineRunningRpm) {
            return endWith(SampleResult::EngineStopped);
        }
    }
    // Up to the start level first, with a counter of its own; then back down to it,
    // sharing the second counter with the recording.
    int n = 0;
    if (!arm(watched, true, result.startLimit, n, SampleResult::StartCondition, result,
             samples.size(), outcome)) {
        return outcome;
    }
    int m = 0;
    if (!arm(watched, false, result.startLimit, m, SampleResult::StartTimeout, result,
             samples.size(), outcome)) {
        return outcome;
    }
    crossing.startValid = interpolate(watched, false, result.startLimit, crossing.startMs);
    return record(watched, false, m, result, samples);
}

SampleResult TestSampler::record(Watched watched, bool rising, int& counter, TestResult& result,
                                 std::span<TestSample> samples) {
    const std::uint32_t t0 = session.tickMs();
    fillSample(samples[0]);
    std::size_t k = 1;
    SampleResult outcome = SampleResult::Ok;
    for (;;) {
        if (!nextSample(outcome)) {
            return outcome;
        }
        if (++counter >= limitFor(samples.size())) {
            return endWith(SampleResult::EndTimeout);
        }
        fillSample(samples[k++]);
        report(SampleProgress::Phase::recording, watched, result);
        const std::int32_t now = value(watched, latest);
        if (rising ? now >= result.endLimit : now <= result.endLimit) {
            break;
        }
    }
    const std::uint32_t t1 = session.tickMs();
    endSampling();
    crossing.endValid = interpolate(watched, rising, result.endLimit, crossing.endMs);
    copyFirstAndLast(samples[0], samples[k - 1], result);
    result.durationMs = t1 - t0;
    return SampleResult::Ok;
}

void copyFirstAndLast(const TestSample& first, const TestSample& last, TestResult& result) {
    result.freqFirst = first.freq;
    result.freqLast = last.freq;
    result.spdFirst = first.spd;
    result.spdLast = last.spd;
    result.twatFirst = first.twat;
    result.twatLast = last.twat;
    result.jqtFirst = first.jqt;
    result.jqtLast = last.jqt;
    result.jqkFirst = first.jqk;
    result.jqkLast = last.jqk;
    result.jairFirst = first.jair;
    result.jairLast = last.jair;
}

}  // namespace ecuprobe::measure
