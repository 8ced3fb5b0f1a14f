// The ECU's own control functions of the engine model: idle regulation, fuel
// cut-off, mixture and ignition, radiator fan and fuel pump.
#include <algorithm>
#include <cmath>

#include "sim/engine_model.h"

namespace ecuprobe::sim {

namespace {

constexpr double closedThrottlePct = 1.0;
constexpr double cutInRpm = 1500;   // fuel cut-off on a closed throttle above this
constexpr double cutOutRpm = 1250;  // and fuel back below this
constexpr double limiterRpm = 6200;
constexpr double limiterResumeRpm = 6000;
constexpr double stepperRate = 300;        // steps per second
constexpr double idleGain = 0.5;           // steps per rpm of error
constexpr double idleIntegralGain = 0.05;  // steps per rpm second
constexpr double fanOnC = 95;
constexpr double fanOffC = 90;

// Bits of the output byte 0x09.
constexpr std::uint8_t fanBit = 0x02;
constexpr std::uint8_t fuelPumpBit = 0x08;

}  // namespace

bool EngineModel::output(std::uint8_t bit, bool ecuChoice) const {
    const int forced = ecu.forcedOutput(bit);
    return forced < 0 ? ecuChoice : forced == 1;
}

bool EngineModel::fuelPumpCommanded() const {
    return output(fuelPumpBit, running || crankRemainingS > 0);
}

double EngineModel::idleSetpoint() const {
    const int forced = ecu.idleSpeedOverride();
    if (forced >= 0) {
        return forced;
    }
    // A cold engine idles faster: 850 rpm warm, about 1300 rpm at -10 °C.
    return std::clamp(850 + std::max(0.0, 80 - coolant) * 5, 800.0, 1500.0);
}

double EngineModel::feedForwardSteps(double atRpm) const {
    // Air for the torque that holds the engine at atRpm against its friction.
    const double needed = frictionTorque(atRpm) / fullLoadTorque(atRpm) - leakFill;
    return std::clamp(needed / stepperFill * 255, 0.0, 255.0);
}

void EngineModel::updateControl(double dt) {
    control.setpointRpm = idleSetpoint();
    updateFuelCut();
    updateIdle(dt);
    updateMixture(dt);
    updateFan();
    const double load = fill;
    double advance = running ? 8 + std::min(24.0, rpm / 200) - 12 * load : 0;
    if (throttle < closedThrottlePct && !control.fuelCut) {
        advance = 12;
    }
    // The knock table's learnt retard holds while the knock regulator works.
    const double retard = running && ecu.knockRegulatorEnabled() ? ecu.controls.knockRetardDeg : 0;
    control.advanceDeg = advance + ecu.ignitionCorrection() / 2.0 - retard;
}

double EngineModel::deliveryFactor() const {
    // The CO corrections (0 down to -0.5) thin the mixture, RCOD at idle only;
    // purge vapour from the canister enriches it while the tester holds the purge open.
    const bool idle = throttle < closedThrottlePct;
    const double purge = std::max(0, ecu.purgeOverride()) / 100.0;
    return 1 + 0.4 * ecu.rcokValue() + (idle ? 0.4 * ecu.rcodValue() : 0) + 0.05 * purge;
}

void EngineModel::updateFuelCut() {
    const bool closed = throttle < closedThrottlePct;
    if (closed && rpm > cutInRpm) {
        control.fuelCut = true;
    } else if (!closed || rpm < cutOutRpm) {
        control.fuelCut = false;
    }
    if (rpm > limiterRpm) {
        control.revLimit = true;
    } else if (rpm < limiterResumeRpm) {
        control.revLimit = false;
    }
}

void EngineModel::updateIdle(double dt) {
    const int forced = ecu.stepperOverride();
    const double error = control.setpointRpm - rpm;
    const bool regulating = running && throttle < closedThrottlePct && !control.fuelCut;
    if (regulating && forced < 0 && std::abs(error) < 200) {
        control.idleIntegral =
            std::clamp(control.idleIntegral + idleIntegralGain * error * dt, -40.0, 60.0);
    }
    double target = feedForwardSteps(control.setpointRpm) + control.idleIntegral;
    if (regulating || control.fuelCut) {
        target += idleGain * error;
    } else {
        // Throttle open: the stepper stands a little open, so that a closing
        // throttle does not stall the engine.
        target += 30;
    }
    control.stepperTarget = forced >= 0 ? forced : std::clamp(target, 0.0, 255.0);
    const double move = stepperRate * dt;
    stepper += std::clamp(control.stepperTarget - stepper, -move, move);
}

void EngineModel::updateMixture(double dt) {
    const bool warm = coolant > 55;
    const bool power = throttle > 80;
    control.lambdaControl = running && warm && !power && !control.fuelCut && !control.revLimit &&
                            ecu.lambdaRegulatorEnabled() && (ecu.equipment[0] & 0x02) != 0;
    // Open loop: cold and full-load enrichment.
    const double base = power ? 0.88 : std::min(1.0, 0.85 + std::max(0.0, coolant + 10) / 470);
    if (!control.lambdaControl) {
        control.trim += (1.0 - control.trim) * dt;
        control.lambda = base / deliveryFactor();
        control.lambdaRich = running && !control.fuelCut && base < 1.0;
        return;
    }
    // Closed loop: the trim ramps against the probe and jumps when it switches;
    // the probe answers after the gas has reached it.
    control.lambda = base * control.trim / deliveryFactor();
    control.sensorDelayS -= dt;
    if (control.sensorDelayS <= 0) {
        const bool rich = control.lambda < 1.0;
        if (rich != control.lambdaRich) {
            control.lambdaRich = rich;
            control.trim += rich ? 0.02 : -0.02;
        }
        control.sensorDelayS = 0.15;
    }
    control.trim += (control.lambdaRich ? 0.08 : -0.08) * dt;
    control.trim = std::clamp(control.trim, 0.8, 1.2);
}

void EngineModel::updateFan() {
    if (coolant >= fanOnC) {
        control.fanOn = true;
    } else if (coolant <= fanOffC) {
        control.fanOn = false;
    }
    const int forced = ecu.forcedOutput(fanBit);
    if (forced >= 0) {
        control.fanOn = forced == 1;
    }
}

}  // namespace ecuprobe::sim
