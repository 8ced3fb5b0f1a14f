#pragma once

#include <cstdint>
#include <string_view>

namespace ecuprobe::measure {

// One recorded answer of the test data set.
struct TestSample {
    std::int32_t filled = 0;  // 1 recorded, 0 not
    std::int32_t freq = 0;    // rpm
    std::int32_t spd = 0;     // km/h
    std::int32_t twat = 0;    // deg C
    float jqt = 0;            // l/h
    float jqk = 0;            // l/100 km
    float jair = 0;           // kg/h
    std::uint32_t tick = 0;   // millisecond clock when the sample was filled
};

// The levels of one run, set by the caller, and what the run measured.
struct TestResult {
    std::int32_t startLimit = 0;  // rpm or km/h
    std::int32_t endLimit = 0;
    std::int32_t freqFirst = 0;
    std::int32_t freqLast = 0;
    std::int32_t spdFirst = 0;
    std::int32_t spdLast = 0;
    std::int32_t twatFirst = 0;
    std::int32_t twatLast = 0;
    float jqtFirst = 0;
    float jqtLast = 0;
    float jqkFirst = 0;
    float jqkLast = 0;
    float jairFirst = 0;
    float jairLast = 0;
    std::uint32_t durationMs = 0;  // from start detection to end detection
};

// How a run ended. The values are those the tests map to their messages; Stopped
// is a run that the person stopped between two samples.
enum class SampleResult : std::int8_t {
    Ok = 0,
    LinkLost = -1,
    StartCondition = -2,
    StartTimeout = -3,
    EndTimeout = -4,
    EngineStopped = -5,
    NoSpeedSensor = -6,
    Stopped = -7,
};

std::string_view sampleResultName(SampleResult result);

// The "first" and "last" values of a record from the first and last sample of a
// run; the levels and the duration are left as they are.
void copyFirstAndLast(const TestSample& first, const TestSample& last, TestResult& result);

}  // namespace ecuprobe::measure
