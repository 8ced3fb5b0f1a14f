#include "sim/driver_scenario.h"

#include <array>

namespace ecuprobe::sim {

namespace {

constexpr std::array<std::string_view, 6> scenarioNames{"idle", "runup",   "coastdown",
                                                        "road", "stalled", "coldstart"};
constexpr double manoeuvreDelayMs = 500;
constexpr double runUpEndRpm = 5800;  // just short of the limiter
constexpr double coastDownTopRpm = 5400;
constexpr double upshiftRpm = 4500;
constexpr double roadTopKmh = 100;
constexpr int roadTopGear = 4;

}  // namespace

std::optional<Scenario> scenarioFromName(std::string_view name) {
    for (std::size_t i = 0; i < scenarioNames.size(); ++i) {
        if (scenarioNames[i] == name) {
            return static_cast<Scenario>(i);
        }
    }
    return std::nullopt;
}

std::string_view scenarioName(Scenario scenario) {
    return scenarioNames.at(static_cast<std::size_t>(scenario));
}

void DriverScenario::start(Scenario chosen) {
    current = chosen;
    phase = Phase::waiting;
    switch (chosen) {
        case Scenario::stalled:
            model.reset(90, 20, false);
            break;
        case Scenario::coldstart:
            model.reset(-5, -5, false);
            model.crank();
            break;
        default:
            model.reset(90, 20, true);
            break;
    }
}

void DriverScenario::startManoeuvre(double nowMs) {
    const bool hasManoeuvre =
        current == Scenario::runup || current == Scenario::coastdown || current == Scenario::road;
    if (hasManoeuvre && phase == Phase::waiting) {
        phase = Phase::armed;
        armedAtMs = nowMs;
    }
}

void DriverScenario::beforeStep(double nowMs) {
    if (phase == Phase::waiting) {
        return;
    }
    if (phase == Phase::armed) {
        if (nowMs - armedAtMs < manoeuvreDelayMs) {
            return;
        }
        phase = Phase::rising;
        if (current == Scenario::road) {
            model.setGear(1);
            model.setThrottle(100);
        } else {
            model.setThrottle(100);
        }
    }
    const EngineTruth truth = model.truth();
    switch (current) {
        case Scenario::runup:
        case Scenario::coastdown:
            runUp(current == Scenario::runup ? runUpEndRpm : coastDownTopRpm);
            break;
        case Scenario::road:
            drive(truth);
            break;
        default:
            phase = Phase::waiting;
            break;
    }
}

void DriverScenario::runUp(double rpmLimit) {
    if (model.truth().rpm >= rpmLimit) {
        model.setThrottle(0);
        phase = Phase::waiting;
    }
}

void DriverScenario::drive(const EngineTruth& truth) {
    if (phase == Phase::rising) {
        if (truth.vehicleKmh >= roadTopKmh) {
            model.setGear(0);
            model.setThrottle(0);
            model.setBraking(true);
            phase = Phase::braking;
        } else if (truth.rpm >= upshiftRpm && truth.gear < roadTopGear) {
            model.setGear(truth.gear + 1);
        }
        return;
    }
    if (truth.vehicleKmh <= 0) {
        model.setBraking(false);
        phase = Phase::waiting;
    }
}

}  // namespace ecuprobe::sim
