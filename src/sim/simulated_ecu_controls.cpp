// The run-time controls and read-outs of SimulatedEcu.
#include "sim/driver_scenario.h"
#include "sim/engine_model.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::sim {

void SimulatedEcu::setTypeByte(std::uint8_t type) {
    std::lock_guard lock(mutex);
    ecu.typeByte = type;
}

void SimulatedEcu::setStoredFaults(std::vector<StoredFault> list) {
    std::lock_guard lock(mutex);
    ecu.faults = std::move(list);
}

void SimulatedEcu::setEquipment(const EquipmentBytes& equipment) {
    std::lock_guard lock(mutex);
    ecu.equipment = equipment;
}

void SimulatedEcu::setAnswerDelayMs(std::uint32_t ms) {
    std::lock_guard lock(mutex);
    answerDelayMs = ms;
}

void SimulatedEcu::restart() {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    ecu.powerCycle();
    collector.restart();
    outbound.clear();
    garbageActive = false;
}

void SimulatedEcu::setScenario(Scenario scenario) {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    driver->start(scenario);
}

void SimulatedEcu::startManoeuvre() {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    driver->startManoeuvre(model->timeMs());
}

void SimulatedEcu::setThrottle(double percent) {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    model->setThrottle(percent);
}

void SimulatedEcu::setGear(int gear) {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    model->setGear(gear);
}

void SimulatedEcu::setBraking(bool on) {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    model->setBraking(on);
}

void SimulatedEcu::watch(Quantity quantity, double level) {
    std::lock_guard lock(mutex);
    stepTo(clock.tickMs());
    recorder.watch(quantity, level);
}

void SimulatedEcu::addFault(const FaultRule& rule) {
    std::lock_guard lock(mutex);
    faults.add(rule);
}

void SimulatedEcu::onStopSignalFault(std::function<void(int)> stop) {
    std::lock_guard lock(mutex);
    stopTester = std::move(stop);
}

void SimulatedEcu::clearFaultRules() {
    std::lock_guard lock(mutex);
    faults.clear();
    garbageActive = false;
}

void SimulatedEcu::setSilent(bool on) {
    std::lock_guard lock(mutex);
    faults.remove(FaultKind::silence);
    if (on) {
        faults.add({FaultKind::silence, {}, 0});
    }
}

void SimulatedEcu::setTrace(platform::WireTrace* newTrace) {
    std::lock_guard lock(mutex);
    trace = newTrace;
}

EngineTruth SimulatedEcu::truth() const {
    std::lock_guard lock(mutex);
    return model->truth();
}

ControlState SimulatedEcu::controls() const {
    std::lock_guard lock(mutex);
    return ecu.controls;
}

std::vector<StoredFault> SimulatedEcu::storedFaults() const {
    std::lock_guard lock(mutex);
    return ecu.faults;
}

std::vector<Crossing> SimulatedEcu::crossings() const {
    std::lock_guard lock(mutex);
    return recorder.crossings();
}

std::vector<LoggedRequest> SimulatedEcu::requestLog() const {
    std::lock_guard lock(mutex);
    return log.all();
}

std::vector<std::uint8_t> SimulatedEcu::selectedDataSet() const {
    std::lock_guard lock(mutex);
    return ecu.dataSet;
}

int SimulatedEcu::vanishCount() const {
    std::lock_guard lock(mutex);
    return vanishes;
}

}  // namespace ecuprobe::sim
