#include "measure/run_sampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "case_names.h"
#include "scripted_ecu.h"

namespace ecuprobe::measure {
namespace {

using ecuprobe::case_names::PrintTo;

using ecu::testing::Bytes;
using ecu::testing::testDataSet;

// The session on a scripted ECU whose n-th answer to 0x63 (from 0) is answer(n);
// an empty optional is silence.
class Sampler : public ecu::testing::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        openConnected();
        ecu.reply = [this](const Bytes& payload) -> std::optional<Bytes> {
            if (payload[0] == 0x63) {
                return answer(polls++);
            }
            return Bytes{0x00};
        };
    }
    void TearDown() override {
        ecu::exchangeBusy = 0;
        SessionTest::TearDown();
    }

    std::size_t filled() const {
        return static_cast<std::size_t>(std::count_if(
            samples.begin(), samples.end(), [](const TestSample& s) { return s.filled == 1; }));
    }
    std::size_t dataSetPolls() const {
        return static_cast<std::size_t>(
            std::count(ecu.payloads().begin(), ecu.payloads().end(), Bytes{0x63}));
    }

    std::function<std::optional<Bytes>(int)> answer;
    int polls = 0;
    TestSampler sampler{session};
    TestResult result;
    std::vector<TestSample> samples = std::vector<TestSample>(TestSampler::bufferSize);
};

TEST_F(Sampler, FirstLookAboveTheStartLevelEndsAtOnceWithNoSamples) {
    answer = [](int) { return testDataSet(2400); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::StartCondition);
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(filled(), 0u);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

struct FirstLookCase {
    int rpm;
    bool stopped;
    friend void PrintTo(const FirstLookCase& c, std::ostream* out) { *out << c.rpm << " rpm"; }
};

class FirstLookEngineSpeed : public Sampler, public ::testing::WithParamInterface<FirstLookCase> {};

// 360 rpm is a stopped engine for both engine-speed runs; from 400 on they go on.
TEST_P(FirstLookEngineSpeed, BelowFourHundredIsAStoppedEngine) {
    answer = [](int n) { return testDataSet(n == 0 ? GetParam().rpm : 5000); };
    result.startLimit = 2000;
    result.endLimit = 4000;
    EXPECT_EQ(sampler.runRpmRise(result, samples) == SampleResult::EngineStopped,
              GetParam().stopped);
    polls = 0;
    result.startLimit = 4500;
    EXPECT_EQ(sampler.runRpmFall(result, samples) == SampleResult::EngineStopped,
              GetParam().stopped);
}

INSTANTIATE_TEST_SUITE_P(Sampler, FirstLookEngineSpeed,
                         ::testing::Values(FirstLookCase{360, true}, FirstLookCase{400, false}));

TEST_F(Sampler, StartLevelEqualToTheFirstLookArmsOnTheNextAnswer) {
    answer = [](int n) { return testDataSet(n < 2 ? 2000 : 5000); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    ASSERT_EQ(sampler.runRpmRise(result, samples), SampleResult::Ok);
    EXPECT_EQ(filled(), 2u);
    EXPECT_EQ(result.freqFirst, 2000);
    EXPECT_EQ(result.freqLast, 5000);
}

TEST_F(Sampler, EndOnTheFirstRecordingAnswerGivesTwoSamplesAtLeastOnePacingApart) {
    answer = [](int n) { return testDataSet(n < 2 ? 1000 + 40 * n : 6000, 10 + n); };
    result.startLimit = 1040;
    result.endLimit = 6000;
    ASSERT_EQ(sampler.runRpmRise(result, samples), SampleResult::Ok);
    EXPECT_EQ(filled(), 2u);
    EXPECT_GE(result.durationMs, 50u);
    EXPECT_EQ(result.spdFirst, 11);
    EXPECT_EQ(result.spdLast, 12);
    EXPECT_EQ(result.twatFirst, 90);
    EXPECT_FLOAT_EQ(result.jqtFirst, 10.0f);
    EXPECT_FLOAT_EQ(result.jairFirst, 25.0f);
}

TEST_F(Sampler, EndLevelNeverMetTimesOutAt1998AnswersWithTheLastOneUnrecorded) {
    answer = [](int n) { return testDataSet(n == 0 ? 1000 : 2000); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::EndTimeout);
    // The first look, then 1998 answers of arming and recording together.
    EXPECT_EQ(polls, 1 + 1998);
    // The largest recording: armed on the first answer, capacity - 3 samples.
    EXPECT_EQ(filled(), TestSampler::bufferSize - 3);
    EXPECT_EQ(samples[TestSampler::bufferSize - 3].filled, 0);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

TEST_F(Sampler, ALongWaitForTheStartLeavesFewerAnswersForRecording) {
    answer = [](int n) { return testDataSet(n < 1000 ? 1000 : 2000); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::EndTimeout);
    EXPECT_EQ(polls, 1 + 1998);
    EXPECT_EQ(filled(), 1998u - 999u - 1u);
}

struct FallingCase {
    const char* name;
    std::function<int(int)> rpmAt;
    SampleResult expected;
};

class FallingStart : public Sampler, public ::testing::WithParamInterface<FallingCase> {};

TEST_P(FallingStart, EndsAsTheCountersSay) {
    answer = [](int n) { return testDataSet(GetParam().rpmAt(n)); };
    result.startLimit = 5000;
    result.endLimit = 2000;
    EXPECT_EQ(sampler.runRpmFall(result, samples), GetParam().expected);
    EXPECT_EQ(session.samplingActive(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sampler, FallingStart,
    ::testing::Values(
        FallingCase{"NeverRevvedUp", [](int) { return 800; }, SampleResult::StartCondition},
        FallingCase{"HeldAboveTheStart", [](int) { return 5600; }, SampleResult::StartTimeout},
        FallingCase{"SettlesAboveTheEnd",
                    [](int n) { return n < 10   ? 5600
                                       : n < 12 ? 5000
                                                : 2400; },
                    SampleResult::EndTimeout},
        FallingCase{"CoastsDown",
                    [](int n) { return n < 10 ? 5600 : std::max(800, 5600 - 200 * (n - 9)); },
                    SampleResult::Ok}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Sampler, SpeedRunsWithoutASpeedSensorSendNothing) {
    stateOf(session).identity.hasSpeedSensor = 0;
    answer = [](int) { return testDataSet(2000, 30); };
    EXPECT_EQ(sampler.runSpeedRise(result, samples), SampleResult::NoSpeedSensor);
    EXPECT_EQ(sampler.runSpeedFall(result, samples), SampleResult::NoSpeedSensor);
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(Sampler, NotConnectedIsALostLinkBeforeAnythingIsSent) {
    stateOf(session).connected = 0;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::LinkLost);
    EXPECT_TRUE(ecu.sent.empty());
}

struct FailedSampleCase {
    const char* name;
    std::optional<Bytes> answer;
};

class FailedSample : public Sampler, public ::testing::WithParamInterface<FailedSampleCase> {};

// An answer shorter than the data set would put its checksum and terminator
// into the values: it is no sample either.
TEST_P(FailedSample, LosesTheLinkClearsTheFlagsAndForcesTheSlowGroup) {
    answer = [](int n) -> std::optional<Bytes> {
        if (n > 5) {
            return GetParam().answer;
        }
        return testDataSet(n < 2 ? 1000 : 2400);
    };
    stateOf(session).liveData.slowCountdown = 7;
    result.startLimit = 2000;
    result.endLimit = 5000;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::LinkLost);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(ecu::exchangeBusy, 0);
    EXPECT_EQ(session.liveData().slowCountdown, 0);
    EXPECT_EQ(session.connected(), 1);
}

INSTANTIATE_TEST_SUITE_P(Sampler, FailedSample,
                         ::testing::Values(FailedSampleCase{"Unanswered", std::nullopt},
                                         FailedSampleCase{"ShorterThanTheDataSet",
                                                          Bytes{130, 60, 250, 0, 100, 0}}));

TEST_F(Sampler, EveryAnswerIsPacedAndTheTestDataSetSelectedFirst) {
    stateOf(session).dataSetState = 0;
    answer = [](int n) { return testDataSet(n < 2 ? 1000 : 5000); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    ASSERT_EQ(sampler.runRpmRise(result, samples), SampleResult::Ok);
    const std::vector<Bytes> sent = ecu.payloads();
    EXPECT_EQ(sent[0], (Bytes{0x64, 0x1A, 0x29, 0x21, 0x40, 0x60}));
    EXPECT_EQ(session.dataSetState(), 1);
    for (std::size_t i = 1; i < ecu.sent.size(); ++i) {
        EXPECT_TRUE(ecu.sent[i].busy);
        if (i > 1) {
            EXPECT_GE(ecu.sent[i].atMs - ecu.sent[i - 1].atMs, 50u) << i;
        }
    }
}

TEST_F(Sampler, AStopBetweenSamplesEndsTheRunWithNothingMoreSent) {
    std::atomic<bool> stop{false};
    sampler.stopWhen([&stop] { return stop.load(); });
    std::vector<SampleProgress> seen;
    sampler.onProgress([&](const SampleProgress& p) {
        seen.push_back(p);
        if (p.samples == 5) {
            stop = true;
        }
    });
    answer = [](int) { return testDataSet(1000); };
    result.startLimit = 2000;
    result.endLimit = 5000;
    EXPECT_EQ(sampler.runRpmRise(result, samples), SampleResult::Stopped);
    EXPECT_EQ(polls, 5);
    EXPECT_EQ(session.samplingActive(), 0);
    EXPECT_EQ(ecu::exchangeBusy, 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().phase, SampleProgress::Phase::arming);
    EXPECT_EQ(seen.back().value, 1000);
    EXPECT_EQ(seen.back().startLimit, 2000);
}

// A steady ramp of 80 rpm per answer, each raw value standing for the middle of its
// 40 rpm step: the crossings fall between two answers, and the interpolated
// duration is finer than the answers' own period.
TEST_F(Sampler, CrossingsAreInterpolatedBetweenTheAnswersAroundEachLevel) {
    answer = [](int n) { return testDataSet(1000 + 80 * n); };
    result.startLimit = 1500;  // 1480 (n = 6) stands for 1500: crossed at n = 6
    result.endLimit = 2020;    // 1960 (n = 12) and 2040 (n = 13): crossed at n = 12.5
    ASSERT_EQ(sampler.runRpmRise(result, samples), SampleResult::Ok);
    const CrossingTimes& at = sampler.crossings();
    ASSERT_TRUE(at.valid());
    const double period = samples[1].tick - samples[0].tick;
    EXPECT_NEAR(at.startMs, samples[0].tick - period, 0.01);
    EXPECT_NEAR(at.durationMs(), period * 6.5, 0.01);
}

// On its way up the speed sits on the start level for two answers; a slowing-down
// run must not take that for the fall back to it.
TEST_F(Sampler, SlowingDownArmsOnlyOnceTheValueFellFromItsPeak) {
    stateOf(session).identity.hasSpeedSensor = 1;
    answer = [](int n) {
        static constexpr int kmh[] = {70, 79, 80, 80, 81, 85, 82, 80, 60, 20};
        return testDataSet(2000, kmh[std::min(n, 9)]);
    };
    result.startLimit = 80;
    result.endLimit = 20;
    ASSERT_EQ(sampler.runSpeedFall(result, samples), SampleResult::Ok);
    EXPECT_EQ(filled(), 3u);
    EXPECT_EQ(result.spdFirst, 80);
    EXPECT_EQ(result.spdLast, 20);
    EXPECT_EQ(polls, 10);
}

struct JqkCase {
    int jqtRaw;
    int kmh;
    bool speedSensor;
    float jqk;
    friend void PrintTo(const JqkCase& c, std::ostream* out) {
        *out << "JQT raw " << c.jqtRaw << " at " << c.kmh << " km/h"
             << (c.speedSensor ? "" : " without a speed sensor");
    }
};

class FuelPerDistance : public Sampler, public ::testing::WithParamInterface<JqkCase> {};

TEST_P(FuelPerDistance, ComesFromTheHourlyFlowAndTheSpeedInStepsOf1Over128) {
    stateOf(session).identity.hasSpeedSensor = GetParam().speedSensor ? 1 : 0;
    answer = [](int) { return testDataSet(800, GetParam().kmh, 130, GetParam().jqtRaw); };
    ASSERT_EQ(sampler.requestSample(), SampleRequest::answered);
    TestSample sample;
    sampler.fillSample(sample);
    EXPECT_FLOAT_EQ(sample.jqk, GetParam().jqk);
    sampler.endSampling();
}

INSTANTIATE_TEST_SUITE_P(Sampler, FuelPerDistance,
                         ::testing::Values(JqkCase{100, 50, true, 20.0f},      // 10 l/h at 50 km/h
                                           JqkCase{77, 60, true, 12.828125f},  // 12.8333 held down
                                           JqkCase{100, 0, true, 0.0f},        // standing
                                           JqkCase{360, 10, true, 0.0f},  // 360 l/100 km: too much
                                           JqkCase{100, 50, false, 0.0f}));  // no speed sensor

}  // namespace
}  // namespace ecuprobe::measure
