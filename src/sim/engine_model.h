#pragma once

#include <cstdint>
#include <random>

#include "sim/ecu_state.h"
#include "sim/sim_types.h"

namespace ecuprobe::sim {

// A ZMZ-406-like 2.3 l four-cylinder in a Volga-like car, with the ECU's own
// control functions around it (idle regulation, fuel cut-off, mixture control,
// outputs), stepped in fixed steps of stepMs. The tester's overrides in EcuState
// act on it at every step.
class EngineModel {
public:
    static constexpr double stepMs = 2.0;
    static constexpr int topGear = 5;
    static constexpr double leakFill = 0.03;     // cylinder fill past the closed throttle
    static constexpr double stepperFill = 0.35;  // cylinder fill the idle air adds at 255 steps

    // Torque at full fill, Nm.
    static double fullLoadTorque(double rpm);

    EngineModel(const EcuState& ecu, std::uint64_t seed);

    // Puts the engine and car in a starting state: coolant and ambient in °C,
    // engine running at idle or stopped, car standing in neutral.
    void reset(double coolantC, double ambientC, bool running);
    // Turns the starter until the engine fires (or for about two seconds).
    void crank();

    void setThrottle(double percent);
    void setGear(int gear);
    void setBraking(bool on);
    void step();

    EngineTruth truth() const;
    double timeMs() const { return nowMs; }

private:
    struct Control {
        double setpointRpm = 850;
        double stepperTarget = 90;
        double idleIntegral = 0;
        bool fuelCut = false;
        bool revLimit = false;
        bool lambdaControl = false;
        bool lambdaRich = false;
        double trim = 1.0;
        double sensorDelayS = 0;
        bool fanOn = false;
        double advanceDeg = 10;
        double lambda = 1.0;
    };

    // engine_control.cpp: the ECU's own functions.
    void updateControl(double dt);
    void updateIdle(double dt);
    void updateFuelCut();
    void updateMixture(double dt);
    void updateFan();
    double idleSetpoint() const;
    double feedForwardSteps(double rpm) const;
    double deliveryFactor() const;
    bool output(std::uint8_t bit, bool ecuChoice) const;
    bool fuelPumpCommanded() const;

    // engine_model.cpp: the physics.
    void updateEngine(double dt);
    void updateDriveline(double dt, double clutchTorque);
    void updateThermal(double dt);
    double combustionTorque() const;
    double frictionTorque(double rpm) const;
    double firingFraction() const;
    double clutchTorque(double dt);
    double airKgPerHour() const;
    double fuelLitresPerHour() const;

    const EcuState& ecu;
    std::mt19937_64 random;
    Control control;

    double nowMs = 0;
    double rpm = 0;
    double throttleCommand = 0;
    double throttle = 0;
    double fill = 0;
    double stepper = 90;
    double fuelPressure = 0;  // 0..1 of the regulated pressure
    double crankRemainingS = 0;
    double roughTorque = 0;
    double roughHoldS = 0;
    bool running = false;
    int gear = 0;
    bool braking = false;
    double clutchEngagement = 0;  // 0 pedal down .. 1 released
    double speedMs = 0;           // vehicle, m/s
    double coolant = 90;
    double ambient = 20;
};

}  // namespace ecuprobe::sim
