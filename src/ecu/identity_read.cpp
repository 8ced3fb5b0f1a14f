#include <algorithm>
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

// Variables 1..5 answer the six equipment bytes; an answer of another length is
// not the equipment (the request itself is six bytes long, 0x61 first).
constexpr std::array<std::uint8_t, 6> equipmentRequest{readVariablesCommand, 1, 2, 3, 4, 5};
constexpr std::size_t equipmentAnswerLength = 6;

}  // namespace

ServiceResult EcuSession::readIdentity() {
    if (held.connected == 0) {
        return ServiceResult::failed;
    }
    // Texts with a field the ECU left unanswered are read again, whole: only an
    // answer counts as read.
    if (held.identity.identityRead != 0 && held.identity.unansweredTexts.empty()) {
        return ServiceResult::done;
    }
    const ExchangeBusyGuard busy;
    held.identity.identityRead = 0;
    held.identity.ecuName.clear();
    held.identity.clearTexts();
    sleepMs(pauseBeforeRequestMs);
    if (exchange({identifyCommand})) {
        held.identity.ecuName = std::string(ecuTypeTexts(currentLink->response()[0]).name);
    } else {
        setStatusText("Ош. типа ЭБУ.");
        held.identity.unansweredTexts.add("тип ЭБУ");
    }
    readPassport(firstProgramPassportCommand, programPassportBlocks, held.identity.programPassport,
                 "паспорт программы");
    readPassport(firstDataPassportCommand, dataPassportBlocks, held.identity.dataPassport,
                 "паспорт данных");
    readIdentityTexts();
    return held.identity.identityRead != 0 ? ServiceResult::done : ServiceResult::failed;
}

// Every block is kept whole, however many come: nothing is cut.
void EcuSession::readPassport(std::uint8_t firstCommand, int blocks, std::string& passport,
                              std::string_view name) {
    for (int n = 0; n < blocks; ++n) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({static_cast<std::uint8_t>(firstCommand + n)})) {
            passport += identityBlock(answerData()) + "\r\n";
            held.identity.identityRead = 0xFF;
        } else {
            held.identity.unansweredTexts.add(name);
        }
    }
}

void EcuSession::readIdentityTexts() {
    for (const TextVariable& text : textVariables) {
        sleepMs(pauseBeforeRequestMs);
        if (exchange({readVariablesCommand, text.number})) {
            held.identity.*text.field += identityBlock(answerData());
        } else {
            held.identity.unansweredTexts.add(text.name);
        }
    }
}

ServiceResult EcuSession::readEquipment(std::string& text) {
    text.clear();
    if (held.connected == 0) {
        return ServiceResult::failed;
    }
    held.identity.hasSpeedSensor = 0;
    if (!exchange(equipmentRequest) || answerData().size() != equipmentAnswerLength) {
        return ServiceResult::failed;
    }
    text = equipmentText(answerData());
    held.identity.hasSpeedSensor = speedSensorFitted(answerData()) ? 1 : 0;
    held.identity.equipmentRead = true;
    return ServiceResult::done;
}

void EcuSession::blankPassportLineBreaks() {
    for (std::string* passport : {&held.identity.programPassport, &held.identity.dataPassport}) {
        std::replace(passport->begin(), passport->end(), '\r', ' ');
        std::replace(passport->begin(), passport->end(), '\n', ' ');
    }
}

void EcuSession::forgetIdentityRead() {
    held.identity.identityRead = 0;
}

}  // namespace ecuprobe::ecu
