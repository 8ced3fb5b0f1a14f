#pragma once

#include "sim/engine_model.h"
#include "sim/sim_types.h"

namespace ecuprobe::sim {

// The driver of a scenario, acting on the model before each step:
//
//   idle       warm engine idling in neutral
//   runup      on a manoeuvre start: full throttle, closed again near the limiter
//   coastdown  on a manoeuvre start: revved above 5000 rpm, then the throttle closes
//   road       on a manoeuvre start: off from standstill through the gears to about
//              100 km/h, then declutched and braked to a stop
//   stalled    engine off, ignition on
//   coldstart  cranked at -5 °C, then idling while it warms up
//
// A manoeuvre starts half a second after the test data set is selected (or on
// startManoeuvre()); it can be repeated once the previous one has ended.
class DriverScenario {
public:
    explicit DriverScenario(EngineModel& engine) : model(engine) {}

    void start(Scenario chosen);
    void startManoeuvre(double nowMs);
    void beforeStep(double nowMs);
    Scenario scenario() const { return current; }

private:
    enum class Phase { waiting, armed, rising, braking };

    void runUp(double rpmLimit);
    void drive(const EngineTruth& truth);

    EngineModel& model;
    Scenario current = Scenario::idle;
    Phase phase = Phase::waiting;
    double armedAtMs = 0;
};

}  // namespace ecuprobe::sim
