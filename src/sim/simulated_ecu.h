#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "link/framing.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/wire_trace.h"
#include "sim/crossing_recorder.h"
#include "sim/ecu_state.h"
#include "sim/fault_injector.h"
#include "sim/request_history.h"
#include "sim/served_line.h"
#include "sim/sim_types.h"

namespace ecuprobe::sim {

class EngineModel;
class DriverScenario;
class Responder;

struct SimulatedEcuOptions {
    std::uint8_t typeByte = mikas54Type;
    Scenario scenario = Scenario::idle;
    EquipmentBytes equipment = defaultEquipment;
    std::vector<StoredFault> faults;
    std::uint32_t answerDelayMs = 0;
    std::uint64_t seed = 1;
    // False for an adapter that cancels its own echo: only the answers come back.
    bool adapterEchoes = true;
};

// The ECU together with its echoing K-line adapter, on a Clock. As a WirePeer it
// serves an InMemorySerialDevice in virtual time: each call steps the engine model
// to clock.tickMs(), echoes what the tester wrote and queues the answer of every
// complete request frame. The pty server drives the same object in real time.
// Every public member is thread-safe.
class SimulatedEcu final : public ServedLine {
public:
    explicit SimulatedEcu(platform::Clock& clock, SimulatedEcuOptions options = {});
    ~SimulatedEcu() override;
    SimulatedEcu(const SimulatedEcu&) = delete;
    SimulatedEcu& operator=(const SimulatedEcu&) = delete;

    // WirePeer
    void fromTester(std::span<const std::uint8_t> bytes) override;
    std::size_t toTester(std::uint8_t* buffer, std::size_t max) override;
    bool present() const override;
    std::optional<std::uint32_t> msUntilDue() const override;

    // Steps the model to `nowMs` on the simulator's clock (done by every call above).
    void advanceTo(std::uint32_t nowMs);
    void advance();

    // ECU configuration.
    void setTypeByte(std::uint8_t type);
    void setStoredFaults(std::vector<StoredFault> faults);
    void setEquipment(const EquipmentBytes& equipment);
    void setAnswerDelayMs(std::uint32_t ms);
    // Switches the ECU off and on again: overrides and volatile values are gone,
    // what was stored stays; a frame half received is lost. The engine runs on.
    void restart();

    // Driver.
    void setScenario(Scenario scenario);
    // Starts the manoeuvre of the scenario now, as selecting the test data set does.
    void startManoeuvre();
    void setThrottle(double percent);
    void setGear(int gear);
    void setBraking(bool on);
    // Records crossings of `level` by `quantity` from now on.
    void watch(Quantity quantity, double level);

    // Fault injection.
    void addFault(const FaultRule& rule);
    void clearFaultRules();
    // Shorthand for a silence rule that always strikes (on) or its removal (off).
    void setSilent(bool on);
    // What the stop-signal fault does: the host that runs the simulator inside the
    // tester sends the tester its stop; without a host's action the fault does nothing.
    void onStopSignalFault(std::function<void(int signal)> stop);

    // Optional trace of every byte in both directions, faults noted; null turns it off.
    void setTrace(platform::WireTrace* trace);

    // Truth and records.
    EngineTruth truth() const;
    ControlState controls() const;
    std::vector<StoredFault> storedFaults() const;
    std::vector<Crossing> crossings() const;
    // The most recent requests taken, oldest first (see RequestHistory).
    std::vector<LoggedRequest> requestLog() const;
    std::vector<std::uint8_t> selectedDataSet() const;
    int vanishCount() const override;

private:
    struct Outbound {
        std::uint32_t dueMs;
        std::uint8_t byte;
        bool echo;
    };

    void stepTo(std::uint32_t nowMs);
    bool goneAt(std::uint32_t nowMs) const;
    void takeByte(std::uint8_t byte, std::uint32_t nowMs);
    void vanish(std::uint32_t nowMs, std::uint32_t forMs);
    void completeFrame(std::uint32_t nowMs);
    std::vector<std::uint8_t> spoil(std::vector<std::uint8_t> frameBytes);
    std::vector<std::uint8_t> noiseFrame();
    std::uint8_t strayByte();
    void queue(std::span<const std::uint8_t> bytes, std::uint32_t dueMs, bool echo);
    std::size_t drain(std::uint8_t* buffer, std::size_t max, std::uint32_t nowMs);
    void traceOut(std::span<const std::uint8_t> bytes, bool echo);
    void noteFaults(std::uint8_t command);

    platform::Clock& clock;
    mutable std::mutex mutex;
    EcuState ecu;
    std::unique_ptr<EngineModel> model;
    std::unique_ptr<DriverScenario> driver;
    std::unique_ptr<Responder> responder;
    FaultInjector faults;
    CrossingRecorder recorder;
    platform::WireTrace* trace = nullptr;
    std::mt19937_64 noise;

    bool started = false;
    std::uint32_t lastTickMs = 0;
    double baseTickMs = 0;
    double elapsedMs = 0;

    link::FrameCollector collector;
    std::array<std::uint8_t, link::frameBufferSize> frame{};
    FaultPlan plan;
    std::deque<Outbound> outbound;
    RequestHistory log;
    std::function<void(int)> stopTester;
    std::uint32_t answerDelayMs = 0;
    bool adapterEchoes = true;
    std::uint32_t goneUntilMs = 0;
    bool vanished = false;
    bool garbageActive = false;
    std::uint32_t garbageSinceMs = 0;
    int vanishes = 0;
};

}  // namespace ecuprobe::sim
