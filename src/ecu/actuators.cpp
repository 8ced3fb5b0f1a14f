#include <algorithm>

#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint8_t lambdaRegulatorBit = 1u << 1;
constexpr std::uint8_t knockRegulatorBit = 1u << 2;
constexpr std::uint32_t fullPurgeDegree = 100;

// Each output's bit in variables 0x09 and 0x0A, the LiveData flag that holds
// the state the ECU reports for it, and that state once the ECU drives it again.
struct OutputBit {
    Output output;
    std::uint8_t mask;
    std::int32_t LiveData::*flag;
    std::int32_t released;
};

constexpr std::array<OutputBit, 6> outputBits{{
    {Output::checkEngineLamp, 1u << 0, &LiveData::CHECKEIGINE, 0},
    {Output::fan, 1u << 1, &LiveData::fanOn, 0},
    {Output::airConditioner, 1u << 2, &LiveData::airConditionerOn, 0},
    {Output::fuelPump, 1u << 3, &LiveData::fuelPumpOn, 1},
    {Output::coil14, 1u << 4, &LiveData::coil14On, 1},
    {Output::coil23, 1u << 5, &LiveData::coil23On, 1},
}};

const OutputBit& outputBit(Output output) {
    return *std::find_if(outputBits.begin(), outputBits.end(),
                         [output](const OutputBit& row) { return row.output == output; });
}

std::uint8_t withBit(std::uint8_t byte, std::uint8_t mask, bool set) {
    return static_cast<std::uint8_t>(set ? byte | mask : byte & ~mask);
}

}  // namespace

// A refused write leaves the copy as it was before, so that a later request for
// another injector or output does not carry the refused bit to the ECU.
void EcuSession::switchInjector(int n, std::int32_t& state) {
    if (n < 1 || n > 4) {
        return;
    }
    const ExchangeBusyGuard busy;
    sleepMs(100);
    std::int32_t& on = held.injectorOn[static_cast<std::size_t>(n)];
    if (withholdAfterStop()) {
        state = on;
        return;
    }
    const std::uint8_t before = held.injectorCut;
    const auto mask = static_cast<std::uint8_t>(1u << (n - 1));
    held.injectorCut = withBit(held.injectorCut, mask, on == 1);
    const std::array<std::uint8_t, 3> payload{writeCommand, injectorCutVariable, held.injectorCut};
    if (writeAcknowledged(payload)) {
        on = on != 0 ? 0 : 1;
    } else {
        held.injectorCut = before;
    }
    state = on;
}

void EcuSession::switchOutput(Output output, std::int32_t& state) {
    const ExchangeBusyGuard busy;
    sleepMs(100);
    const OutputBit& row = outputBit(output);
    std::int32_t& flag = held.liveData.*row.flag;
    if (withholdAfterStop()) {
        state = flag;
        return;
    }
    const std::uint8_t overrideBefore = held.outputOverride;
    const std::uint8_t stateBefore = held.outputState;
    const std::uint8_t mask = row.mask;
    held.outputOverride = static_cast<std::uint8_t>(held.outputOverride | mask);
    held.outputState = withBit(held.outputState, mask, flag == 0);
    const std::array<std::uint8_t, 5> payload{writeCommand, outputOverrideVariable,
                                              held.outputOverride, outputStateVariable,
                                              held.outputState};
    if (writeAcknowledged(payload)) {
        flag = flag != 0 ? 0 : 1;
    } else {
        held.outputOverride = overrideBefore;
        held.outputState = stateBefore;
    }
    state = flag;
}

void EcuSession::switchCanisterPurge(std::int32_t& state) {
    state = state != 0 ? 0 : 1;
    std::uint32_t degree = state != 0 ? fullPurgeDegree : 0;
    setPurgeDegree(degree);
    held.liveData.slowCountdown = 0;
}

void EcuSession::switchRegulator(std::uint8_t bit, std::int32_t& state) {
    sleepMs(100);
    if (withholdAfterStop()) {
        return;
    }
    const std::uint8_t before = held.regulatorControl;
    held.regulatorControl = withBit(held.regulatorControl, bit, state == 0);
    const std::array<std::uint8_t, 3> payload{writeCommand, regulatorVariable,
                                              held.regulatorControl};
    if (writeAcknowledged(payload)) {
        state = state != 0 ? 0 : 1;
    } else {
        held.regulatorControl = before;
    }
}

void EcuSession::switchLambdaControl(std::int32_t& state) {
    const ExchangeBusyGuard busy;
    held.liveData.slowCountdown = 0;
    switchRegulator(lambdaRegulatorBit, state);
}

void EcuSession::switchKnockControl(std::int32_t& state) {
    const ExchangeBusyGuard busy;
    switchRegulator(knockRegulatorBit, state);
    held.liveData.slowCountdown = 0;
}

// The hand-back wrote 0 to every control variable, so the ECU injects on every
// cylinder and drives every output again: the copies say so before the console
// refreshes its boxes from them, or a cut injector would stay unchecked and its
// next click would only switch it on again.
void EcuSession::markOutputsReleased() {
    std::fill(held.injectorOn.begin() + 1, held.injectorOn.end(), 1);
    for (const OutputBit& row : outputBits) {
        held.liveData.*row.flag = row.released;
    }
    held.liveData.ADSORBER = 0;
}

}  // namespace ecuprobe::ecu
