#include <algorithm>
#include <cmath>

#include "ecu/control_parameters.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint32_t maxStepper = 255;
constexpr std::uint32_t maxIdleSpeed = 2500;
constexpr std::uint32_t maxPercent = 100;
constexpr float maxIgnitionCorrection = 15.0f;
constexpr float maxRcod = 0.3f;
constexpr float lowestCoCorrection = -0.5f;
constexpr double coCorrectionSteps = 256.0;

float finiteOrZero(float value) {
    return std::isnan(value) ? 0.0f : value;
}

// The nearest of the values -k/256 from 0 down to lowest.
std::uint8_t coCorrectionByte(float& value, float lowest) {
    const double limited = std::clamp(finiteOrZero(value), lowest, 0.0f);
    const long deepest = std::lround(std::floor(-static_cast<double>(lowest) * coCorrectionSteps));
    const long k = std::min(std::lround(-limited * coCorrectionSteps), deepest);
    value = static_cast<float>(0.0 - static_cast<double>(k) / coCorrectionSteps);
    return static_cast<std::uint8_t>(k);
}

}  // namespace

std::uint8_t idleStepperByte(std::uint32_t& steps) {
    steps = std::min(steps, maxStepper);
    return static_cast<std::uint8_t>(steps);
}

std::uint8_t idleSpeedByte(std::uint32_t& rpm) {
    rpm = std::min(rpm, maxIdleSpeed);
    return static_cast<std::uint8_t>(rpm / 10);
}

std::uint8_t ignitionCorrectionByte(float& degrees) {
    degrees = std::clamp(finiteOrZero(degrees), -maxIgnitionCorrection, maxIgnitionCorrection);
    const auto halfDegrees = static_cast<int>(std::trunc(static_cast<double>(degrees) * 2.0));
    return static_cast<std::uint8_t>(halfDegrees & 0xFF);
}

std::uint8_t percentByte(std::uint32_t& percent) {
    percent = std::min(percent, maxPercent);
    return static_cast<std::uint8_t>(percent);
}

std::uint8_t rcodByte(float& value) {
    return coCorrectionByte(value, -maxRcod);
}

std::uint8_t rcokByte(float& value) {
    return coCorrectionByte(value, lowestCoCorrection);
}

}  // namespace ecuprobe::ecu
