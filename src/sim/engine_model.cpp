#include "sim/engine_model.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ecuprobe::sim {

namespace {

constexpr double pi = 3.14159265358979;
constexpr double radPerSecPerRpm = 2 * pi / 60;

constexpr double engineInertia = 0.35;  // kg m², crank, flywheel and clutch
constexpr double peakTorque = 190;      // Nm at 4000 rpm
constexpr double displacementM3 = 2.28e-3;
constexpr double airDensity = 1.18;  // kg/m³
constexpr double volumetricEfficiency = 0.9;
constexpr double fuelDensity = 0.745;  // kg/l
constexpr double stoichiometric = 14.7;
constexpr double airConditionerLoad = 6;  // Nm
constexpr double injectorFlowGs = 3.5;    // g/s at the regulated pressure
constexpr double injectorDeadMs = 0.9;    // opening delay
constexpr double starterTorque = 45;      // Nm, up to about 250 rpm
constexpr double stallRpm = 250;

constexpr double carMass = 1600;      // kg, with driver
constexpr double wheelRadius = 0.31;  // m
constexpr double finalDrive = 3.9;
constexpr std::array<double, EngineModel::topGear + 1> gearRatios{0, 4.05, 2.34, 1.395, 1.0, 0.849};
constexpr double drivelineEfficiency = 0.92;
constexpr double clutchCapacity = 260;       // Nm, fully engaged
constexpr double clutchStiffness = 100;      // Nm per rad/s of slip
constexpr double rollingResistance = 0.015;  // of the weight
constexpr double dragFactor = 0.5;           // N per (m/s)², 0.5 rho Cd A
constexpr double brakingDeceleration = 5.5;  // m/s²

}  // namespace

double EngineModel::fullLoadTorque(double atRpm) {
    const double x = (atRpm - 4000) / 5000;
    return std::max(40.0, peakTorque * (1 - x * x));
}

EngineModel::EngineModel(const EcuState& ecuState, std::uint64_t seed)
    : ecu(ecuState), random(seed) {
    reset(90, 20, true);
}

void EngineModel::reset(double coolantC, double ambientC, bool runningNow) {
    coolant = coolantC;
    ambient = ambientC;
    running = runningNow;
    gear = 0;
    braking = false;
    clutchEngagement = 0;
    speedMs = 0;
    throttleCommand = throttle = 0;
    crankRemainingS = 0;
    control = Control{};
    control.setpointRpm = idleSetpoint();
    rpm = running ? control.setpointRpm : 0;
    stepper = control.stepperTarget = feedForwardSteps(control.setpointRpm);
    fill = running ? leakFill + stepper / 255 * stepperFill : 0;
    fuelPressure = running ? 1 : 0;
    // The ECU's flags and set-points hold from the first moment, before any step.
    updateControl(0);
}

void EngineModel::crank() {
    running = true;
    crankRemainingS = 2.0;
}

void EngineModel::setThrottle(double percent) {
    throttleCommand = std::clamp(percent, 0.0, 100.0);
}

void EngineModel::setGear(int newGear) {
    gear = std::clamp(newGear, 0, topGear);
    if (gear == 0) {
        clutchEngagement = 0;
    } else if (speedMs > 1) {
        // A change of gear on the move: the clutch goes up at once.
        clutchEngagement = 1;
    }
}

void EngineModel::setBraking(bool on) {
    braking = on;
}

void EngineModel::step() {
    const double dt = stepMs / 1000;
    nowMs += stepMs;
    // The throttle follows the pedal within about a quarter of a second.
    const double maxMove = 400 * dt;
    throttle += std::clamp(throttleCommand - throttle, -maxMove, maxMove);
    updateControl(dt);
    updateEngine(dt);
    updateThermal(dt);
}

double EngineModel::firingFraction() const {
    const bool coil14 = output(0x10, running);
    const bool coil23 = output(0x20, running);
    int firing = 0;
    for (int cylinder = 1; cylinder <= 4; ++cylinder) {
        const bool spark = (cylinder == 1 || cylinder == 4) ? coil14 : coil23;
        if (spark && !ecu.injectorCut(cylinder)) {
            ++firing;
        }
    }
    return firing / 4.0;
}

double EngineModel::combustionTorque() const {
    if (!running || rpm < 100 || control.fuelCut || control.revLimit) {
        return 0;
    }
    const double fuelFactor = std::clamp((fuelPressure - 0.3) / 0.4, 0.0, 1.0);
    const double advanceFactor = 1 + 0.004 * std::clamp(control.advanceDeg - 10, -15.0, 15.0);
    // Exhaust gas let back in while the tester holds the EGR valve open dilutes the charge.
    const double egrFactor = 1 - 0.003 * std::max(0, ecu.egrOverride());
    return fill * fullLoadTorque(rpm) * firingFraction() * fuelFactor * advanceFactor * egrFactor;
}

double EngineModel::frictionTorque(double atRpm) const {
    if (atRpm <= 0) {
        return 0;
    }
    // Cold oil adds up to about 70 % at -10 °C.
    const double cold = 1 + std::max(0.0, 60 - coolant) / 100;
    return (8 + 0.004 * atRpm + 1.2e-6 * atRpm * atRpm) * cold;
}

double EngineModel::clutchTorque(double dt) {
    if (gear == 0) {
        return 0;
    }
    const double ratio = gearRatios[static_cast<std::size_t>(gear)] * finalDrive;
    const double engineW = rpm * radPerSecPerRpm;
    const double wheelW = speedMs / wheelRadius * ratio;
    const bool slipping = engineW - wheelW > 10;
    // The driver lets the clutch in while the engine pulls, and holds it while
    // the engine would bog down; below 600 rpm in gear he declutches.
    if (slipping) {
        clutchEngagement += (rpm > 1300 ? 0.8 : -2.0) * dt;
    } else {
        clutchEngagement += 2.0 * dt;
    }
    if (rpm < 600) {
        clutchEngagement = 0;
    }
    clutchEngagement = std::clamp(clutchEngagement, 0.0, 1.0);
    const double capacity = clutchCapacity * clutchEngagement;
    return std::clamp(clutchStiffness * (engineW - wheelW), -capacity, capacity);
}

void EngineModel::updateEngine(double dt) {
    const double fillTarget =
        std::min(1.0, leakFill + throttle / 100 + stepper / 255 * stepperFill);
    fill += (fillTarget - fill) * dt / 0.12;
    fuelPressure += ((fuelPumpCommanded() ? 1.0 : 0.0) - fuelPressure) * dt / 0.8;

    double torque = combustionTorque() - frictionTorque(rpm);
    if (running && output(0x04, false)) {
        torque -= airConditionerLoad;
    }
    if (crankRemainingS > 0) {
        crankRemainingS = rpm > 600 ? 0 : crankRemainingS - dt;
        torque += rpm < 250 ? starterTorque : 0;
    }
    // A cut cylinder makes the firing uneven: the torque scatters from cycle to cycle.
    roughHoldS -= dt;
    if (roughHoldS <= 0) {
        std::uniform_real_distribution<double> spread(-1, 1);
        roughTorque = spread(random) * (1 - firingFraction()) * fill * fullLoadTorque(rpm) * 1.5;
        roughHoldS = 0.12;
    }
    if (combustionTorque() > 0) {
        torque += roughTorque;
    }
    const double clutch = clutchTorque(dt);
    torque -= clutch;
    rpm = std::max(0.0, rpm + torque / engineInertia * dt / radPerSecPerRpm);
    if (running && crankRemainingS <= 0 && rpm < stallRpm) {
        running = false;
    }
    updateDriveline(dt, clutch);
}

void EngineModel::updateDriveline(double dt, double clutch) {
    const double ratio = gearRatios[static_cast<std::size_t>(gear)] * finalDrive;
    const double drive = clutch * ratio * drivelineEfficiency / wheelRadius;
    double resist = 0;
    if (speedMs > 0) {
        resist = rollingResistance * carMass * 9.81 + dragFactor * speedMs * speedMs +
                 (braking ? brakingDeceleration * carMass : 0);
    }
    const double next = speedMs + (drive - resist) / carMass * dt;
    // Resistances stop the car; they never push it backwards.
    speedMs = std::max(0.0, next);
}

void EngineModel::updateThermal(double dt) {
    // °C per second: heat from the fuel burnt, lost through the block and, once the
    // thermostat opens at 85 °C, through the radiator with road air and the fan.
    const double heat = running ? 0.2 * std::sqrt(fuelLitresPerHour()) : 0;
    const double kmh = speedMs * 3.6;
    double loss = 0.001 * (coolant - ambient);
    if (coolant > 85) {
        const double radiator = 0.0015 + 0.0008 * kmh + (control.fanOn ? 0.04 : 0);
        loss += radiator * (coolant - 85);
    }
    coolant += (heat - loss) * dt;
}

double EngineModel::airKgPerHour() const {
    // Intake strokes per hour: rpm × 60 / 2 of the whole displacement.
    return displacementM3 * rpm * 30 * airDensity * volumetricEfficiency * fill;
}

double EngineModel::fuelLitresPerHour() const {
    if (!running || control.fuelCut || control.revLimit) {
        return 0;
    }
    int injecting = 0;
    for (int cylinder = 1; cylinder <= 4; ++cylinder) {
        injecting += ecu.injectorCut(cylinder) ? 0 : 1;
    }
    const double fuelFactor = std::clamp((fuelPressure - 0.3) / 0.4, 0.0, 1.0);
    return airKgPerHour() / (stoichiometric * control.lambda) / fuelDensity * injecting / 4 *
           fuelFactor;
}

EngineTruth EngineModel::truth() const {
    EngineTruth t;
    t.rpm = rpm;
    t.idleSetpointRpm = control.setpointRpm;
    t.vehicleKmh = speedMs * 3.6;
    t.coolantC = coolant;
    t.intakeAirC = ambient + 0.15 * (coolant - ambient);
    t.throttlePct = throttle;
    t.gear = gear;
    t.running = running;
    t.fuelCut = running && (control.fuelCut || control.revLimit);
    t.powerEnrichment = running && throttle > 80;
    t.lambdaControl = control.lambdaControl;
    t.lambdaRich = control.lambdaRich;
    t.knockControl = running && coolant > 60 && rpm > 1500 && ecu.knockRegulatorEnabled();
    t.fanOn = control.fanOn;
    t.fuelPumpOn = fuelPumpCommanded();
    t.airConditionerOn = output(0x04, false);
    t.coil14On = output(0x10, running);
    t.coil23On = output(0x20, running);
    t.supplyV = running ? 14.1 - (control.fanOn ? 0.3 : 0) - (t.airConditionerOn ? 0.2 : 0)
                        : (crankRemainingS > 0 ? 10.5 : 12.4);
    t.airKgH = running ? airKgPerHour() : 0;
    t.fuelLH = fuelLitresPerHour();
    const double perInjectionG = rpm > 0 ? t.fuelLH * fuelDensity * 1000 / 4 / (rpm * 30) : 0;
    t.injectionMs = t.fuelLH > 0 ? perInjectionG / injectorFlowGs * 1000 + injectorDeadMs : 0;
    t.advanceDeg = control.advanceDeg;
    t.stepperSetpoint = control.stepperTarget;
    t.stepperPosition = stepper;
    t.mixtureCorrection = control.trim;
    t.lambda1mV = !running ? 450 : (control.lambdaRich ? 780 : 120);
    t.lambda2mV = !running ? 450 : (coolant > 60 ? 620 : t.lambda1mV);
    t.manifoldKpa = running ? 20 + 80 * fill : 100;
    return t;
}

}  // namespace ecuprobe::sim
