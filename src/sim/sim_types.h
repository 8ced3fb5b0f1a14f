#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ecuprobe::sim {

// Type bytes the ECU answers to the command 0x01.
inline constexpr std::uint8_t mikas54Type = 9;
inline constexpr std::uint8_t mikas71Type = 10;

// Equipment bytes 0..5 (variables 1..5). Default: permanent supply, lambda probe,
// knock, air temperature, phase and speed sensors; IROM with throttle-zero and idle
// adaptation; air-flow set-point adaptation; lamp, fuel pump, canister, tachometer,
// air conditioner; radiator fan.
using EquipmentBytes = std::array<std::uint8_t, 6>;
inline constexpr EquipmentBytes defaultEquipment{0x5F, 0x00, 0xC1, 0x01, 0xB3, 0x01};
inline constexpr std::uint8_t speedSensorBit = 0x40;  // in equipment byte 0

struct StoredFault {
    std::uint8_t code = 0;
    std::uint8_t status = 0;
};

// What the driver does with the car; see DriverScenario for each one's script.
enum class Scenario { idle, runup, coastdown, road, stalled, coldstart };
std::optional<Scenario> scenarioFromName(std::string_view name);
std::string_view scenarioName(Scenario scenario);

enum class FaultKind {
    silence,           // echo comes, the ECU says nothing
    badChecksum,       // answer with its checksum byte spoilt
    wrongEcho,         // one echoed byte differs from what was written
    missingEcho,       // the adapter echoes nothing, the answer still comes
    shortEcho,         // only the first half of the frame is echoed
    cutAnswer,         // the answer stops half way, no terminator
    garbage,           // endless bytes that never make a valid frame, until the next write
    noise,             // a stray invalid frame between the echo and the answer
    refusedWrite,      // 0x62 answered with 1
    noIdentification,  // passport blocks and text variables unanswered
    noSpeedSensor,     // equipment without speed sensor, speed reads 0
    vanish,            // the device disappears for vanishMs, then comes back
    stopSignal,  // the tester is asked to stop (SIGTERM or signalNumber) as the request comes in
};
std::optional<FaultKind> faultKindFromName(std::string_view name);
std::string_view faultKindName(FaultKind kind);

// When a fault rule strikes, counted over the requests it applies to (those of
// `command` when set, else all).
struct FaultTrigger {
    enum class Mode {
        always,
        once,         // the first applicable request only
        everyNth,     // the n-th, 2n-th, ... applicable request
        afterN,       // every applicable request after the first n
        probability,  // each applicable request with the given chance, seeded
    };
    Mode mode = Mode::always;
    std::uint32_t n = 1;
    double probability = 1.0;
    std::optional<std::uint8_t> command;
};

struct FaultRule {
    FaultKind kind = FaultKind::silence;
    FaultTrigger trigger;
    std::uint32_t vanishMs = 2000;
    int signalNumber = 15;  // stopSignal: SIGTERM unless another is named
};

// Quantities whose crossings of given levels a scenario records.
enum class Quantity { engineSpeed, vehicleSpeed, coolant };

struct Crossing {
    Quantity quantity = Quantity::engineSpeed;
    double level = 0;
    bool rising = true;
    double atMs = 0;  // on the simulator's clock, interpolated between model steps
};

// The model's true state, in engineering units.
struct EngineTruth {
    double rpm = 0;
    double idleSetpointRpm = 0;
    double vehicleKmh = 0;
    double coolantC = 0;
    double intakeAirC = 0;
    double throttlePct = 0;
    int gear = 0;
    bool running = false;
    bool fuelCut = false;
    bool powerEnrichment = false;
    bool lambdaControl = false;
    bool lambdaRich = false;
    bool knockControl = false;
    bool fanOn = false;
    bool fuelPumpOn = false;
    bool airConditionerOn = false;
    bool coil14On = true;
    bool coil23On = true;
    double supplyV = 0;
    double airKgH = 0;
    double fuelLH = 0;
    double injectionMs = 0;
    double advanceDeg = 0;
    double stepperSetpoint = 0;
    double stepperPosition = 0;
    double lambda1mV = 0;
    double lambda2mV = 0;
    double mixtureCorrection = 1.0;  // closed-loop fuel trim, 1 = none
    double manifoldKpa = 0;
};

// The control registers and parameters as last written by the tester, and what
// the ECU keeps in non-volatile memory.
struct ControlState {
    std::uint8_t outputState = 0;         // 0x09
    std::uint8_t outputOverride = 0;      // 0x0A
    std::uint8_t overrideFlags0B = 0;     // 0x0B
    std::uint8_t overrideFlags0C = 0;     // 0x0C
    std::uint8_t injectorCut = 0;         // 0x0D
    std::uint8_t regulatorControl = 0;    // 0x0E, regulator bits only
    std::uint8_t ignitionCorrection = 0;  // 0x28, signed half degrees
    std::uint8_t idleSpeed = 0;           // 0x2E, rpm / 10
    std::uint8_t rcod = 0;                // 0x41, read as |b - 128| / 256 - 0.5: 0 is none
    std::uint8_t rcok = 0;                // 0x42, the same
    std::uint8_t stepper = 0;             // 0x5B
    std::uint8_t purgeDegree = 0;         // 0x5E, %
    std::uint8_t egrDegree = 0;           // 0x5F, %
    std::uint8_t storeIndex = 0;          // 0x7C
    // Non-volatile copies, written by the store command (0x0E = 0x01 with 0x7C);
    // they outlive a power cycle.
    std::uint8_t storedRcod = 0;
    std::uint8_t storedRcok = 0;
    std::uint8_t storedIgnitionCorrection = 0;
    // What the adaptation tables have learnt: the closed loop's fuel factor (shown
    // as COEFF2) and the knock regulator's ignition retard. The reset commands
    // clear them; a power cycle does not.
    double lambdaAdaptation = 1.03;
    double knockRetardDeg = 1.5;
    int storeCount = 0;
    int faultClears = 0;
    int lambdaAdaptationResets = 0;
    int knockAdaptationResets = 0;
};

struct LoggedRequest {
    std::uint32_t atMs = 0;
    std::vector<std::uint8_t> payload;
    bool answered = false;
};

}  // namespace ecuprobe::sim
