#include "ecu/control_parameters.h"

#include <array>
#include <string_view>

#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"
#include "ecu/live_fields.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint16_t storeTimeoutMs = 300;
constexpr std::uint32_t pauseBeforeSetMs = 100;
constexpr std::uint32_t pauseBeforeReadBackMs = 60;

struct ParameterRow {
    std::uint8_t variable;
    std::uint8_t overrideVariable;
    std::uint8_t overrideBit;
    bool readBack;
    std::string_view setRefused;
    std::string_view readBackFailed;  // empty where there is no read-back
    // Store index, pause before the read-back of a store, and the text of a
    // store the ECU did not acknowledge; 0 and empty for the four never stored.
    std::uint8_t storeIndex;
    std::uint32_t pauseAfterStoreMs;
    std::string_view storeFailed;
};

constexpr std::uint8_t over0B = parameterOverrideVariable0B;
constexpr std::uint8_t over0C = parameterOverrideVariable0C;

// By Parameter.
constexpr std::array<ParameterRow, 7> parameterRows{{
    {0x5B, over0B, 1u << 5, false, "Ош. уст. РДВ.", {}, 0, 0, {}},
    {0x2E, over0B, 1u << 6, false, "Ош. уст. обор. ХХ", {}, 0, 0, {}},
    {0x28, over0B, 1u << 3, true, "Ош. уст. UOZC.", "Ош. счит. UOZC.", 3, 100, "Ош. coxp. UOZC."},
    {0x41, over0C, 1u << 3, true, "Ош. уст. RCOD.", "Ош. счит. RCOD.", 1, 60, "Ош. coxp. RCOD."},
    {0x42, over0C, 1u << 4, true, "Ош. уст. RCOK.", "Ош. счит. RCOK.", 2, 60, "Ош. coxp. RCOK."},
    {0x5F, over0C, 1u << 1, true, "Ош. уст. JEGR.", "Ош. счит. JEGR.", 0, 0, {}},
    {0x5E, over0C, 1u << 2, true, "Ош. уст. JADS.", "Ош. счит. JADS.", 0, 0, {}},
}};

const ParameterRow& rowOf(Parameter parameter) {
    return parameterRows[static_cast<std::size_t>(parameter)];
}

}  // namespace

void EcuSession::writeParameter(Parameter parameter, std::uint8_t valueByte) {
    const ParameterRow& row = rowOf(parameter);
    const ExchangeBusyGuard busy;
    sleepMs(pauseBeforeSetMs);
    if (withholdAfterStop()) {
        return;
    }
    std::uint8_t& flags =
        row.overrideVariable == over0B ? held.overrideFlags0B : held.overrideFlags0C;
    const std::uint8_t flagsBefore = flags;
    std::array<std::uint8_t, 5> payload{writeCommand};
    std::size_t length = 1;
    // The stepper sends its override pair every time, the others until it is taken.
    if ((flags & row.overrideBit) == 0 || parameter == Parameter::idleStepper) {
        flags = static_cast<std::uint8_t>(flags | row.overrideBit);
        payload[length++] = row.overrideVariable;
        payload[length++] = flags;
    }
    payload[length++] = row.variable;
    payload[length++] = valueByte;
    // Only an answer that refuses counts: parameter writes may go unanswered. A
    // refused override is sent again with the next set; a withheld one never left.
    const WriteReply reply = sendWrite(std::span(payload).first(length));
    if (reply == WriteReply::refused || reply == WriteReply::withheld) {
        flags = flagsBefore;
    }
    if (reply == WriteReply::withheld) {
        return;
    }
    if (reply == WriteReply::refused) {
        setStatusText(row.setRefused);
    }
    if (row.readBack) {
        sleepMs(pauseBeforeReadBackMs);
        readBackParameter(parameter, reply != WriteReply::unanswered);
    }
    held.liveData.slowCountdown = 0;
}

// A value that comes goes into liveData at once. The read-back fails when the
// ECU answered the write before it but gives no value now: no answer, or one
// without a data byte. An ECU that answered neither has gone silent, which the
// poll shows; a store's own failure text then stays.
void EcuSession::readBackParameter(Parameter parameter, bool writeAnswered) {
    const ParameterRow& row = rowOf(parameter);
    const bool answered = exchange({readVariablesCommand, row.variable});
    if (answered && !answerData().empty()) {
        decodeLiveVariable(row.variable, answerData(), held.liveData);
    } else if (writeAnswered) {
        setStatusText(row.readBackFailed);
    }
}

void EcuSession::setIdleStepper(std::uint32_t& value) {
    if (held.connected != 0) {
        writeParameter(Parameter::idleStepper, idleStepperByte(value));
    }
}

void EcuSession::setIdleSpeed(std::uint32_t& value) {
    if (held.connected != 0) {
        writeParameter(Parameter::idleSpeed, idleSpeedByte(value));
    }
}

float EcuSession::setIgnitionCorrection(float& value) {
    if (held.connected == 0) {
        return 0.0f;
    }
    writeParameter(Parameter::ignitionCorrection, ignitionCorrectionByte(value));
    return held.liveData.UOZOC;
}

float EcuSession::setRcod(float& value) {
    if (held.connected == 0) {
        return 0.0f;
    }
    writeParameter(Parameter::rcod, rcodByte(value));
    return held.liveData.RCOD;
}

float EcuSession::setRcok(float& value) {
    if (held.connected == 0) {
        return 0.0f;
    }
    writeParameter(Parameter::rcok, rcokByte(value));
    return held.liveData.RCOK;
}

std::uint32_t EcuSession::setEgrDegree(std::uint32_t& value) {
    if (held.connected == 0) {
        return 0;
    }
    writeParameter(Parameter::egrDegree, percentByte(value));
    return held.liveData.JEGR;
}

std::uint32_t EcuSession::setPurgeDegree(std::uint32_t& value) {
    if (held.connected == 0) {
        return 0;
    }
    writeParameter(Parameter::purgeDegree, percentByte(value));
    return held.liveData.JADS;
}

// A store that no answer confirms may not have happened: only an answer whose
// first byte is 0 counts as done.
ServiceResult EcuSession::storeParameter(std::uint8_t n) {
    const ExchangeBusyGuard busy;
    sleepMs(pauseBeforeSetMs);
    if (withholdAfterStop()) {
        return ServiceResult::failed;
    }
    const std::array<std::uint8_t, 5> payload{writeCommand, regulatorVariable, storeCommandValue,
                                              storeIndexVariable, n};
    return sendWrite(payload, storeTimeoutMs) == WriteReply::acknowledged ? ServiceResult::done
                                                                          : ServiceResult::failed;
}

void EcuSession::storeAndReadBack(Parameter parameter) {
    const ParameterRow& row = rowOf(parameter);
    const ServiceResult stored = storeParameter(row.storeIndex);
    if (lastWrite == WriteReply::withheld) {
        return;
    }
    if (stored == ServiceResult::failed) {
        setStatusText(row.storeFailed);
    }
    const bool storeAnswered = lastWriteReply() != WriteReply::unanswered;
    const ExchangeBusyGuard busy;
    sleepMs(row.pauseAfterStoreMs);
    readBackParameter(parameter, storeAnswered);
    held.liveData.slowCountdown = 0;
}

float EcuSession::storeRcod() {
    if (held.connected == 0) {
        return 0.0f;
    }
    storeAndReadBack(Parameter::rcod);
    return held.liveData.RCOD;
}

float EcuSession::storeRcok() {
    if (held.connected == 0) {
        return 0.0f;
    }
    storeAndReadBack(Parameter::rcok);
    return held.liveData.RCOK;
}

float EcuSession::storeIgnitionCorrection() {
    if (held.connected == 0) {
        return 0.0f;
    }
    storeAndReadBack(Parameter::ignitionCorrection);
    return held.liveData.UOZOC;
}

}  // namespace ecuprobe::ecu
