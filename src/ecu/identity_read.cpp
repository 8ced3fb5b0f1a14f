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
    std::string_view name;  // when it goes unanswered
};

constexpr std::array<TextVariable, 7> textVariables{{
    {0x74, &EcuIdentity::modification, "модификация"},
    {0x75, &EcuIdentity::serialNumber, "серийный номер"},
    {0x76, &EcuIdentity::ecuDate, "дата выпуска ЭБУ"},
    {0x77, &EcuIdentity::adcCalibration, "калибровки ADC"},
    {0x79, &EcuIdentity::engineNumber, "номер двигателя"},
    {0x7A, &EcuIdentity::bodyNumber, "номер кузова"},
    {0x7B, &EcuIdentity::carDate, "дата выпуска автомобиля"},
}};

// Variables 1..5 answer the six equipment bytes.
constexpr std::array<std::uint8_t, 6> equipmentRequest{readVariablesCommand, 1, 2, 3, 4, 5};

}  // namespace

std::uint8_t EcuSession::readIdentity() {
    if (connected == 0) {
        return 0;
    }
    // Texts with a field the ECU left unanswered are read again, whole: only an
    // answer counts as read.
    if (identity.identityRead != 0 && identity.unansweredTexts.empty()) {
        return 1;
    }
    const ExchangeBusyGuard busy;
    identity.identityRead = 0;
    identity.ecuName.clear();
    identity.clearTexts();
    sleepMs(pauseBeforeRequestMs);
    if (exchange({identifyCommand})) {
        identity.ecuName = std::string(ecuTypeTexts(currentLink->response[0]).name);
    } else {
        setStatusText("Ош. типа ЭБУ.");
        identity.unansweredTexts.add("тип ЭБУ");
    }
    readPassport(firstProgramPassportCommand, programPassportBlocks, identity.programPassport,
                 "паспорт программы");
    readPassport(firstDataPassportCommand, dataPassportBlocks, identity.dataPassport,
                 "паспорт данных");
    readIdentityTexts();
    return identity.identityRead != 0 ? 1 : 0;
}

// Every block is kept whole, however many come: nothing is cut.
void EcuSession::readPassport(std::uint8_t firstCommand, int blocks, std::string& passport,
                              std::string_view name) {
    for (int n = 0; n < blocks; ++n) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({static_cast<std::uint8_t>(firstCommand + n)})) {
            passport += identityBlock(answerData()) + "\r\n";
            identity.identityRead = 0xFF;
        } else {
            identity.unansweredTexts.add(name);
        }
    }
}

void EcuSession::readIdentityTexts() {
    for (const TextVariable& text : textVariables) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({readVariablesCommand, text.number})) {
            identity.*text.field += identityBlock(answerData());
        } else {
            identity.unansweredTexts.add(text.name);
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
