#include "sim/ecu_state.h"

#include <cstdlib>

namespace ecuprobe::sim {

namespace {

// Whole-byte commands of variable 0x0E; any other value sets the regulator bits.
constexpr std::uint8_t storeCommand = 0x01;
constexpr std::uint8_t clearFaultsCommand = 0x08;
constexpr std::uint8_t lambdaAdaptationReset = 0x10;
constexpr std::uint8_t knockAdaptationReset = 0x20;

constexpr std::uint8_t lambdaRegulatorBit = 0x02;
constexpr std::uint8_t knockRegulatorBit = 0x04;

// Override bits of 0x0B and 0x0C.
constexpr std::uint8_t ignitionCorrectionBit = 0x08;  // 0x0B
constexpr std::uint8_t stepperBit = 0x20;             // 0x0B
constexpr std::uint8_t idleSpeedBit = 0x40;           // 0x0B
constexpr std::uint8_t egrBit = 0x02;                 // 0x0C
constexpr std::uint8_t purgeBit = 0x04;               // 0x0C
constexpr std::uint8_t rcodBit = 0x08;                // 0x0C
constexpr std::uint8_t rcokBit = 0x10;                // 0x0C

// Store indexes carried in 0x7C.
constexpr std::uint8_t storeRcod = 1;
constexpr std::uint8_t storeRcok = 2;
constexpr std::uint8_t storeIgnitionCorrection = 3;

double coCorrection(std::uint8_t raw) {
    return std::abs(raw - 128) / 256.0 - 0.5;
}

}  // namespace

void EcuState::write(std::uint8_t variable, std::uint8_t value) {
    ControlState& c = controls;
    switch (variable) {
        case 0x09:
            c.outputState = value;
            break;
        case 0x0A:
            c.outputOverride = value;
            break;
        case 0x0B:
            c.overrideFlags0B = value;
            break;
        case 0x0C:
            c.overrideFlags0C = value;
            break;
        case 0x0D:
            c.injectorCut = value;
            break;
        case 0x0E:
            command0E(value);
            break;
        case 0x28:
            c.ignitionCorrection = value;
            break;
        case 0x2E:
            c.idleSpeed = value;
            break;
        case 0x41:
            c.rcod = value;
            break;
        case 0x42:
            c.rcok = value;
            break;
        case 0x5B:
            c.stepper = value;
            break;
        case 0x5E:
            c.purgeDegree = value;
            break;
        case 0x5F:
            c.egrDegree = value;
            break;
        case 0x7C:
            c.storeIndex = value;
            // The store command comes before its index in the same request.
            if (pendingStore) {
                store();
            }
            break;
        default:
            break;
    }
}

void EcuState::command0E(std::uint8_t value) {
    ControlState& c = controls;
    pendingStore = false;
    switch (value) {
        case storeCommand:
            pendingStore = true;
            break;
        case clearFaultsCommand:
            faults.clear();
            ++c.faultClears;
            break;
        case lambdaAdaptationReset:
            c.lambdaAdaptation = 1.0;
            ++c.lambdaAdaptationResets;
            break;
        case knockAdaptationReset:
            c.knockRetardDeg = 0.0;
            ++c.knockAdaptationResets;
            break;
        default:
            c.regulatorControl = value;
            break;
    }
}

void EcuState::store() {
    ControlState& c = controls;
    pendingStore = false;
    switch (c.storeIndex) {
        case storeRcod:
            c.storedRcod = c.rcod;
            break;
        case storeRcok:
            c.storedRcok = c.rcok;
            break;
        case storeIgnitionCorrection:
            c.storedIgnitionCorrection = c.ignitionCorrection;
            break;
        default:
            return;
    }
    ++c.storeCount;
}

void EcuState::powerCycle() {
    const ControlState before = controls;
    ControlState& c = controls;
    c = ControlState{};
    c.storedRcod = before.storedRcod;
    c.storedRcok = before.storedRcok;
    c.storedIgnitionCorrection = before.storedIgnitionCorrection;
    c.lambdaAdaptation = before.lambdaAdaptation;
    c.knockRetardDeg = before.knockRetardDeg;
    c.storeCount = before.storeCount;
    c.faultClears = before.faultClears;
    c.lambdaAdaptationResets = before.lambdaAdaptationResets;
    c.knockAdaptationResets = before.knockAdaptationResets;
    dataSet = {standardDataSetVariable};
    pendingStore = false;
}

int EcuState::ignitionCorrection() const {
    const std::uint8_t raw = (controls.overrideFlags0B & ignitionCorrectionBit) != 0
                                 ? controls.ignitionCorrection
                                 : controls.storedIgnitionCorrection;
    return static_cast<std::int8_t>(raw);
}

std::uint8_t EcuState::rcod() const {
    return (controls.overrideFlags0C & rcodBit) != 0 ? controls.rcod : controls.storedRcod;
}

std::uint8_t EcuState::rcok() const {
    return (controls.overrideFlags0C & rcokBit) != 0 ? controls.rcok : controls.storedRcok;
}

double EcuState::rcodValue() const {
    return coCorrection(rcod());
}

double EcuState::rcokValue() const {
    return coCorrection(rcok());
}

int EcuState::idleSpeedOverride() const {
    return (controls.overrideFlags0B & idleSpeedBit) != 0 ? controls.idleSpeed * 10 : -1;
}

int EcuState::stepperOverride() const {
    return (controls.overrideFlags0B & stepperBit) != 0 ? controls.stepper : -1;
}

int EcuState::purgeOverride() const {
    return (controls.overrideFlags0C & purgeBit) != 0 ? controls.purgeDegree : -1;
}

int EcuState::egrOverride() const {
    return (controls.overrideFlags0C & egrBit) != 0 ? controls.egrDegree : -1;
}

int EcuState::forcedOutput(std::uint8_t bit) const {
    if ((controls.outputOverride & bit) == 0) {
        return -1;
    }
    return (controls.outputState & bit) != 0 ? 1 : 0;
}

bool EcuState::injectorCut(int cylinder) const {
    return (controls.injectorCut & (1u << (cylinder - 1))) != 0;
}

bool EcuState::lambdaRegulatorEnabled() const {
    return controls.regulatorControl == 0 || (controls.regulatorControl & lambdaRegulatorBit) != 0;
}

bool EcuState::knockRegulatorEnabled() const {
    return controls.regulatorControl == 0 || (controls.regulatorControl & knockRegulatorBit) != 0;
}

}  // namespace ecuprobe::sim
