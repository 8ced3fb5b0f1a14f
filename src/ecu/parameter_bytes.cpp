#include <algorithm>
#include <cmath>

#include "ecu/control_parameters.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint32_t maxPercent = 100;
constexpr double coCorrectionSteps = 256.0;

float finiteOrZero(float value) {
    return std::isnan(value) ? 0.0f : value;
}

std::uint8_t coCorrectionByte(float& value, float lowest) {
    const float limited = std::clamp(finiteOrZero(value), lowest, highestCoCorrection);
    if (limited >= highestCoCorrection) {
        value = 0.0f;
        return 0x00;
    }
    const double x = std::min((static_cast<double>(limited) + 0.5) * coCorrectionSteps, 127.0);
    const auto byte = static_cast<int>(std::trunc(x + 128.0));
    value = static_cast<float>(static_cast<double>(byte - 128) / coCorrectionSteps - 0.5);
    return static_cast<std::uint8_t>(byte & 0xFF);
}

}  // namespace

std::uint8_t idleStepperByte(std::uint32_t& steps) {
    steps = std::min(steps, maxIdleStepper);
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
    return coCorrectionByte(value, lowestRcod);
}

std::uint8_t rcokByte(float& value) {
    return coCorrectionByte(value, lowestRcok);
}

}  // namespace ecuprobe::ecu
