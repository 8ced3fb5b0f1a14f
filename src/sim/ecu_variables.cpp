#include "sim/ecu_variables.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "sim/identity_texts.h"

namespace ecuprobe::sim {

namespace {

std::uint8_t byteOf(double raw) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(raw), 0.0, 255.0));
}

std::uint16_t wordOf(double raw) {
    return static_cast<std::uint16_t>(std::clamp(std::floor(raw), 0.0, 65535.0));
}

std::uint8_t signedByteOf(double raw) {
    const auto value = static_cast<int>(std::clamp(std::trunc(raw), -128.0, 127.0));
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t bit(bool on, int position) {
    return on ? static_cast<std::uint8_t>(1u << position) : std::uint8_t{0};
}

// Flag byte A: stopped, idle, fuel cut-off, power, mixture control, knock control.
std::uint8_t flagsA(const EngineTruth& t) {
    const bool idle = t.running && t.throttlePct < 1 && !t.fuelCut;
    return bit(!t.running, 0) | bit(idle, 2) | bit(t.fuelCut, 4) | bit(t.powerEnrichment, 5) |
           bit(t.lambdaControl, 6) | bit(t.knockControl, 7);
}

int purgeDegree(const VariableSources& from) {
    const int forced = from.ecu.purgeOverride();
    if (forced >= 0) {
        return forced;
    }
    const EngineTruth& t = from.truth;
    return t.running && t.coolantC > 60 && t.throttlePct >= 1 ? 40 : 0;
}

// Flag byte B: purge, barometric zone, table writes, probes rich, knock.
std::uint8_t flagsB(const VariableSources& from) {
    const EngineTruth& t = from.truth;
    const bool idle = t.throttlePct < 1;
    return bit(purgeDegree(from) > 0, 0) | bit(t.lambdaControl && idle, 2) |
           bit(t.lambdaControl && !idle, 3) | bit(t.lambda1mV > 450, 4) | bit(t.lambda2mV > 450, 5);
}

// Output byte C in the layout of variable 0x09.
std::uint8_t outputs(const VariableSources& from) {
    const EngineTruth& t = from.truth;
    const int lamp = from.ecu.forcedOutput(0x01);
    const bool lampOn = lamp < 0 ? !from.ecu.faults.empty() : lamp == 1;
    return bit(lampOn, 0) | bit(t.fanOn, 1) | bit(t.airConditionerOn, 2) | bit(t.fuelPumpOn, 3) |
           bit(t.coil14On, 4) | bit(t.coil23On, 5);
}

std::optional<double> twoByteValue(std::uint8_t variable, const VariableSources& from) {
    const EngineTruth& t = from.truth;
    switch (variable) {
        case 0x01: {
            const int low = from.ecu.equipment[0] & (from.speedSensor ? 0xFF : ~speedSensorBit);
            return low | (from.ecu.equipment[1] << 8);
        }
        case 0x21:
            return t.airKgH * 10;
        case 0x23:
            return t.manifoldKpa;
        case 0x3F:
            return t.injectionMs / 0.008;
        case 0x40:
            return t.fuelLH * 10;
        // Fuel per distance, 1/128 l/100 km; 0 standing or without speed sensor.
        case 0x43:
            return from.speedSensor && t.vehicleKmh >= 1 ? t.fuelLH / t.vehicleKmh * 100 * 128 : 0;
        default:
            return std::nullopt;
    }
}

std::uint8_t engineByte(std::uint8_t variable, const VariableSources& from) {
    const EngineTruth& t = from.truth;
    const ControlState& c = from.ecu.controls;
    switch (variable) {
        case 0x07:
            return flagsA(t);
        case 0x08:
            return flagsB(from);
        case 0x09:
            return outputs(from);
        case 0x0A:
            return c.outputOverride;
        case 0x0B:
            return c.overrideFlags0B;
        case 0x0C:
            return c.overrideFlags0C;
        case 0x0D:
            return c.injectorCut;
        case 0x0E:
            return c.regulatorControl;
        case 0x18:
            return 40;  // injection phase 240°, in steps of 6°
        case 0x1A:
            return byteOf(std::round(t.coolantC) + 40);
        case 0x1C:
            return byteOf(std::round(t.intakeAirC) + 40);
        case 0x1E:
            return byteOf(t.supplyV * 10 + 0.5);
        case 0x20:
            return byteOf(t.throttlePct + 0.5);
        case 0x26:
            return signedByteOf(t.advanceDeg * 2);
        case 0x28:
            return static_cast<std::uint8_t>(from.ecu.ignitionCorrection() & 0xFF);
        case 0x29:
            return byteOf(t.rpm / 40);
        case 0x2C:
            return byteOf(t.idleSetpointRpm / 10);
        case 0x2E:
            return byteOf(t.idleSetpointRpm / 10);
        case 0x39:
            return byteOf((t.mixtureCorrection - 0.5) * 256);
        case 0x41:
            return from.ecu.rcod();
        case 0x42:
            return from.ecu.rcok();
        case 0x45:
            return byteOf(t.mixtureCorrection * 256 - 128);
        case 0x46:
            return byteOf(from.adaptation * 256 - 128);
        case 0x4D:
            return byteOf(t.lambda1mV / 5);
        case 0x4E:
            return byteOf(t.lambda2mV / 5);
        case 0x59:
            return byteOf(t.running ? t.stepperSetpoint * 0.9 : 0);
        case 0x5B:
            return byteOf(t.stepperSetpoint + 0.5);
        case 0x5C:
            return byteOf(t.stepperPosition + 0.5);
        case 0x5E:
            return static_cast<std::uint8_t>(purgeDegree(from));
        case 0x5F:
            return static_cast<std::uint8_t>(std::max(0, from.ecu.egrOverride()));
        case 0x60:
            return from.speedSensor ? byteOf(t.vehicleKmh) : std::uint8_t{0};
        case 0x7C:
            return c.storeIndex;
        default:
            return 0;
    }
}

}  // namespace

std::size_t variableWidth(std::uint8_t variable) {
    if (isTextVariable(variable)) {
        return TextBlock{}.size();
    }
    switch (variable) {
        case 0x01:
        case 0x21:
        case 0x23:
        case 0x3F:
        case 0x40:
        case 0x43:
            return 2;
        default:
            return 1;
    }
}

void appendVariable(std::vector<std::uint8_t>& out, std::uint8_t variable,
                    const VariableSources& from) {
    if (const auto text = textVariable(variable)) {
        out.insert(out.end(), text->begin(), text->end());
        return;
    }
    if (variable >= 0x02 && variable <= 0x05) {
        out.push_back(from.ecu.equipment[variable]);
        return;
    }
    if (const auto word = twoByteValue(variable, from)) {
        const std::uint16_t w = wordOf(*word);
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        return;
    }
    out.push_back(engineByte(variable, from));
}

}  // namespace ecuprobe::sim
