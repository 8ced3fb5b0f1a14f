#include <array>

#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint32_t pauseBeforeRequestMs = 100;
constexpr int programPassportBlocks = 3;
constexpr int dataPassportBlocks = 5;

// The text variables, each read alone with 0x61; 0x78 is not read.
struct TextVariable {
    std::uint8_t number;
    std::string EcuIdentity::*field;
};

constexpr std::array<TextVariable, 7> textVariables{{
    {0x74, &EcuIdentity::modification},
    {0x75, &EcuIdentity::serialNumber},
    {0x76, &EcuIdentity::ecuDate},
    {0x77, &EcuIdentity::adcCalibration},
    {0x79, &EcuIdentity::engineNumber},
    {0x7A, &EcuIdentity::bodyNumber},
    {0x7B, &EcuIdentity::carDate},
}};

// Variables 1..5 answer the six equipment bytes.
constexpr std::array<std::uint8_t, 6> equipmentRequest{readVariablesCommand, 1, 2, 3, 4, 5};

}  // namespace

std::uint8_t EcuSession::readIdentity() {
    if (connected == 0) {
        return 0;
    }
    if (identity.identityRead != 0) {
        return 1;
    }
    const ExchangeBusyGuard busy;
    identity.ecuName.clear();
    identity.clearTexts();
    sleepMs(pauseBeforeRequestMs);
    if (exchange({identifyCommand})) {
        identity.ecuName = std::string(ecuTypeTexts(currentLink->response[0]).name);
    } else {
        setStatusText("Ош. типа ЭБУ.");
    }
    readPassport(firstProgramPassportCommand, programPassportBlocks, identity.programPassport);
    readPassport(firstDataPassportCommand, dataPassportBlocks, identity.dataPassport);
    readIdentityTexts();
    return identity.identityRead != 0 ? 1 : 0;
}

// Every block is kept whole, however many come: nothing is cut.
void EcuSession::readPassport(std::uint8_t firstCommand, int blocks, std::string& passport) {
    for (int n = 0; n < blocks; ++n) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({static_cast<std::uint8_t>(firstCommand + n)})) {
            passport += identityBlock(answerData()) + "\r\n";
            identity.identityRead = 0xFF;
        }
    }
}

void EcuSession::readIdentityTexts() {
    for (const TextVariable& text : textVariables) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({readVariablesCommand, text.number})) {
            identity.*text.field += identityBlock(answerData());
        }
    }
}

std::uint8_t EcuSession::readEquipment(std::string& text) {
    text.clear();
    if (connected == 0) {
        return 0;
    }
    identity.hasSpeedSensor = 0;
    if (!exchange(equipmentRequest)) {
        return 0;
    }
    text = equipmentText(answerData());
    identity.hasSpeedSensor = speedSensorFitted(answerData()) ? 1 : 0;
    identity.equipmentRead = true;
    return 1;
}

}  // namespace ecuprobe::ecu
