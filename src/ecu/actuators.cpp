#include <algorithm>

#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint8_t purgeOverrideVariable = parameterOverrideVariable0C;
constexpr std::uint8_t purgeDegreeVariable = 0x5E;
constexpr std::uint8_t purgeOverrideBit = 1u << 2;
constexpr std::uint8_t lambdaRegulatorBit = 1u << 1;
constexpr std::uint8_t knockRegulatorBit = 1u << 2;
constexpr std::uint32_t maxPurgeDegree = 100;

// Bit of each output in variables 0x09 and 0x0A.
std::uint8_t outputBit(Output output) {
    switch (output) {
        case Output::checkEngineLamp:
            return 1u << 0;
        case Output::fan:
            return 1u << 1;
        case Output::airConditioner:
            return 1u << 2;
        case Output::fuelPump:
            return 1u << 3;
        case Output::coil14:
            return 1u << 4;
        case Output::coil23:
            return 1u << 5;
    }
    return 0;
}

std::uint8_t withBit(std::uint8_t byte, std::uint8_t mask, bool set) {
    return static_cast<std::uint8_t>(set ? byte | mask : byte & ~mask);
}

}  // namespace

std::int32_t& EcuSession::outputFlag(Output output) {
    switch (output) {
        case Output::coil14:
            return liveData.coil14On;
        case Output::coil23:
            return liveData.coil23On;
        case Output::fuelPump:
            return liveData.fuelPumpOn;
        case Output::checkEngineLamp:
            return liveData.CHECKEIGINE;
        case Output::airConditioner:
            return liveData.airConditionerOn;
        case Output::fan:
            break;
    }
    return liveData.fanOn;
}

// A refused write leaves the copy as it was before, so that a later request for
// another injector or output does not carry the refused bit to the ECU.
void EcuSession::switchInjector(int n, std::int32_t& state) {
    if (n < 1 || n > 4) {
        return;
    }
    const ExchangeBusyGuard busy;
    sleepMs(100);
    const std::uint8_t before = injectorCut;
    const auto mask = static_cast<std::uint8_t>(1u << (n - 1));
    std::int32_t& on = injectorOn[static_cast<std::size_t>(n)];
    injectorCut = withBit(injectorCut, mask, on == 1);
    const std::array<std::uint8_t, 3> payload{writeCommand, injectorCutVariable, injectorCut};
    if (writeAcknowledged(payload)) {
        on = on != 0 ? 0 : 1;
    } else {
        injectorCut = before;
    }
    state = on;
}

void EcuSession::switchOutput(Output output, std::int32_t& state) {
    const ExchangeBusyGuard busy;
    sleepMs(100);
    const std::uint8_t overrideBefore = outputOverride;
    const std::uint8_t stateBefore = outputState;
    const std::uint8_t mask = outputBit(output);
    std::int32_t& flag = outputFlag(output);
    outputOverride = static_cast<std::uint8_t>(outputOverride | mask);
    outputState = withBit(outputState, mask, flag == 0);
    const std::array<std::uint8_t, 5> payload{writeCommand, outputOverrideVariable, outputOverride,
                                              outputStateVariable, outputState};
    if (writeAcknowledged(payload)) {
        flag = flag != 0 ? 0 : 1;
    } else {
        outputOverride = overrideBefore;
        outputState = stateBefore;
    }
    state = flag;
}

void EcuSession::switchCanisterPurge(std::int32_t& state) {
    state = state != 0 ? 0 : 1;
    std::uint32_t degree = state != 0 ? maxPurgeDegree : 0;
    setPurgeDegree(degree);
    liveData.slowCountdown = 0;
}

std::uint32_t EcuSession::setPurgeDegree(std::uint32_t& value) {
    if (connected == 0) {
        return 0;
    }
    const ExchangeBusyGuard busy;
    sleepMs(100);
    value = std::min(value, maxPurgeDegree);
    const std::uint8_t flagsBefore = overrideFlags0C;
    std::array<std::uint8_t, 5> payload{writeCommand};
    std::size_t length = 1;
    if ((overrideFlags0C & purgeOverrideBit) == 0) {
        overrideFlags0C = static_cast<std::uint8_t>(overrideFlags0C | purgeOverrideBit);
        payload[length++] = purgeOverrideVariable;
        payload[length++] = overrideFlags0C;
    }
    payload[length++] = purgeDegreeVariable;
    payload[length++] = static_cast<std::uint8_t>(value);
    // Only an answer that refuses counts: parameter writes may go unanswered.
    if (sendWrite(std::span(payload).first(length)) == WriteReply::refused) {
        overrideFlags0C = flagsBefore;
        setStatusText("Ош. уст. JADS.");
    }
    sleepMs(60);
    if (exchange({readVariablesCommand, purgeDegreeVariable})) {
        liveData.JADS = currentLink->response[0];
    }
    liveData.slowCountdown = 0;
    return liveData.JADS;
}

void EcuSession::switchRegulator(std::uint8_t bit, std::int32_t& state) {
    sleepMs(100);
    const std::uint8_t before = regulatorControl;
    regulatorControl = withBit(regulatorControl, bit, state == 0);
    const std::array<std::uint8_t, 3> payload{writeCommand, regulatorVariable, regulatorControl};
    if (writeAcknowledged(payload)) {
        state = state != 0 ? 0 : 1;
    } else {
        regulatorControl = before;
    }
}

void EcuSession::switchLambdaControl(std::int32_t& state) {
    const ExchangeBusyGuard busy;
    liveData.slowCountdown = 0;
    switchRegulator(lambdaRegulatorBit, state);
}

void EcuSession::switchKnockControl(std::int32_t& state) {
    const ExchangeBusyGuard busy;
    switchRegulator(knockRegulatorBit, state);
    liveData.slowCountdown = 0;
}

}  // namespace ecuprobe::ecu
