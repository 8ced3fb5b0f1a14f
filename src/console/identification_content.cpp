#include "console/identification_content.h"

namespace ecuprobe::console {

IdentificationContent identificationContent(const ecu::EcuIdentity& identity,
                                            std::string equipment) {
    const ecu::EcuIdentity& i = identity;
    return {{{
                {1107, "Блок Управления (ЭБУ):", false, i.ecuName},
                {1113, "Паспорт программы ЭБУ:", true, i.programPassport},
                {1112, "Паспорт данных ЭБУ:", true, i.dataPassport},
                {1108, "Модификация ЭБУ:", false, i.modification},
                {1114, "Серийный номер ЭБУ:", false, i.serialNumber},
                {1115, "Дата выпуска ЭБУ:", false, i.ecuDate},
                {1116, "Калибровки ADC в ЭБУ:", false, i.adcCalibration},
                {1109, "Номер двигателя:", false, i.engineNumber},
                {1110, "Номер кузова:", false, i.bodyNumber},
                {1111, "Дата выпуска автомобиля:", false, i.carDate},
            }},
            std::move(equipment)};
}

IdentificationRead readIdentification(ecu::EcuSession& session) {
    IdentificationRead read;
    if (session.readIdentity() == ecu::ServiceResult::failed) {
        read.unanswered.add(ecu::unanswered::identification);
        return read;
    }
    read.unanswered = session.identity().unansweredTexts;
    std::string equipment;
    if (session.readEquipment(equipment) == ecu::ServiceResult::failed) {
        read.unanswered.add(ecu::unanswered::equipment);
    }
    read.content = identificationContent(session.identity(), std::move(equipment));
    return read;
}

}  // namespace ecuprobe::console
