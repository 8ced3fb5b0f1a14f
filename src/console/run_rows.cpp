#include "console/run_descriptor.h"

#include <array>

#include "console/report_lines.h"

namespace ecuprobe::console {

namespace {

using measure::SampleResult;
using Q = Quantity;
using Rule = LevelCheck::Rule;
namespace line = report_lines;

namespace dyn {
using namespace dynamic_test;

constexpr std::array checks{
    LevelCheck{Rule::endAbove, 6000, "Конечные обороты должны быть менее 6000."},
    LevelCheck{Rule::startBelow, 1000, "Начальные обороты должны быть не менее 1000."},
    LevelCheck{Rule::riseUnder, 1000,
               "Начальные обороты должны быть меньше конечных не менее чем на 1000."},
};

constexpr std::array errors{
    linkLostError,
    RunErrorText{SampleResult::StartCondition,
                 {"Начальные обороты достигнуты до начала теста.", inputCaption}},
    RunErrorText{SampleResult::StartTimeout,
                 {"Таймаут. Начальные обороты не достигнуты.", runCaption}},
    RunErrorText{SampleResult::EndTimeout,
                 {"Таймаут. Конечные обороты не достигнуты.", runCaption}},
    RunErrorText{SampleResult::EngineStopped,
                 {"Двигатель заглушен или работает на стабильно.", runCaption}},
};

constexpr std::array groups{ResultGroup{""}, ResultGroup{"Расход топлива:"},
                            ResultGroup{"Ускорение"}, ResultGroup{"Нагрев гр.", true}};

constexpr std::array results{
    ResultRow{0, "Время разгона(сек.):", {runUpTime, Q::seconds}, {}, "", "", ""},
    ResultRow{
        0, "Обороты:", {rpmBefore, Q::rpmFirst}, {{rpmAfter, Q::rpmLast}}, "", "", "об./мин."},
    ResultRow{0,
              "Скорость:",
              {speedBefore, Q::speedFirst},
              {{speedAfter, Q::speedLast}},
              "",
              "",
              "км./час.",
              true},
    ResultRow{1,
              "л./час:",
              {fuelPerHourBefore, Q::fuelPerHourFirst},
              {{fuelPerHourAfter, Q::fuelPerHourLast}},
              "",
              "Расход топлива: л./час:",
              ""},
    ResultRow{1,
              "л./100км:",
              {fuelPerDistanceBefore, Q::fuelPerDistanceFirst},
              {{fuelPerDistanceAfter, Q::fuelPerDistanceLast}},
              "",
              "Расход топлива: л./100км:",
              "",
              true},
    ResultRow{1,
              "воздуха:",
              {airBefore, Q::airFirst},
              {{airAfter, Q::airLast}},
              "",
              "Расход воздуха:",
              "кг./час."},
    ResultRow{2,
              "об./мин/с:",
              {engineAcceleration, Q::engineRise},
              {},
              "",
              "Ускорение оборотов:",
              "(об./мин)/сек."},
    ResultRow{2,
              "км/ч/с:",
              {vehicleAcceleration, Q::vehicleRise},
              {},
              "",
              "Ускорение автомобиля:",
              "(км./час)/сек.",
              true},
    ResultRow{3, "°C:", {coolantHeating, Q::coolantChange}, {}, "", "Нагрев гр.:", "град.С."},
};

constexpr std::array report{
    ReportLine{line::runUpTime, Q::seconds, {}},
    ReportLine{line::coolant, Q::coolantFirst, Q::coolantLast},
    ReportLine{line::engineSpeed, Q::rpmFirst, Q::rpmLast},
    ReportLine{line::vehicleSpeed, Q::speedFirst, Q::speedLast, true},
    ReportLine{line::fuelPerDistance, Q::fuelPerDistanceFirst, Q::fuelPerDistanceLast, true},
    ReportLine{line::airMass, Q::airFirst, Q::airLast},
    ReportLine{line::fuelPerHour, Q::fuelPerHourFirst, Q::fuelPerHourLast},
    ReportLine{line::engineRate, Q::engineRise, {}},
    ReportLine{line::vehicleRate, Q::vehicleRise, {}, true},
    ReportLine{line::gear, Q::gear, {}, true},
    ReportLine{line::coolantRise, Q::coolantChange, {}},
};
}  // namespace dyn

namespace acc {
using namespace acceleration_test;

constexpr std::array checks{
    LevelCheck{Rule::same, 0, "Начальные и конечные скорости должны отличаться."}};

constexpr std::array errors{
    linkLostError,
    RunErrorText{SampleResult::StartCondition,
                 {"Начальные уловия не соответствуют тесту.", inputCaption}},
    RunErrorText{SampleResult::StartTimeout,
                 {"Таймаут. Начальная скорость не достигнута.", runCaption}},
    RunErrorText{SampleResult::EndTimeout,
                 {"Таймаут. Конечная скорость не достигнута.", runCaption}},
    RunErrorText{SampleResult::NoSpeedSensor,
                 {"Ваш автомобиль не оснащен датчиком скорости. Тест не возможен.", runCaption}},
};

constexpr std::array groups{ResultGroup{""}, ResultGroup{"Ускорение"}};

constexpr std::array results{
    ResultRow{0, "Время выбега(сек.):", {elapsedTime, Q::seconds}, {}, "", "", ""},
    ResultRow{
        0, "Обороты:", {rpmAtStart, Q::rpmFirst}, {{rpmAtEnd, Q::rpmLast}}, "", "", "об./мин."},
    ResultRow{0,
              "Скорость:",
              {speedAtStart, Q::speedFirst},
              {{speedAtEnd, Q::speedLast}},
              "",
              "",
              "км./час."},
    ResultRow{1,
              "об./мин/с:",
              {engineRate, Q::engineRise},
              {},
              "",
              "Ускорение оборотов:",
              "(об./мин)/сек."},
    ResultRow{1,
              "км/ч/с:",
              {vehicleRate, Q::vehicleRise},
              {},
              "",
              "Ускорение автомобиля:",
              "(км./час)/сек."},
};

constexpr std::array report{
    ReportLine{line::runUpTime, Q::seconds, {}},
    ReportLine{line::coolant, Q::coolantFirst, Q::coolantLast},
    ReportLine{line::engineSpeed, Q::rpmFirst, Q::rpmLast},
    ReportLine{line::vehicleSpeed, Q::speedFirst, Q::speedLast},
    ReportLine{line::fuelPerDistance, Q::fuelPerDistanceFirst, Q::fuelPerDistanceLast},
    ReportLine{line::airMass, Q::airFirst, Q::airLast},
    ReportLine{line::fuelPerHour, Q::fuelPerHourFirst, Q::fuelPerHourLast},
    ReportLine{line::engineRate, Q::engineRise, {}},
    ReportLine{line::vehicleRate, Q::vehicleRise, {}},
    ReportLine{line::gear, Q::gear, {}},
    ReportLine{line::coolantRise, Q::coolantChange, {}},
};
}  // namespace acc

namespace loss {
using namespace loss_test;

constexpr std::array checks{
    LevelCheck{Rule::endAbove, 3000, "Конечные обороты должны быть менее 3000."},
    LevelCheck{Rule::startBelow, 3000, "Начальные обороты должны быть не менее 3000."},
    LevelCheck{Rule::fallUnder, 1000,
               "Начальные обороты должны быть больше конечных не менее чем на 1000."},
};

// StartCondition here is an engine never revved up to the start speed; its text
// names 5000 whatever the start speed is.
constexpr std::array errors{
    linkLostError,
    RunErrorText{SampleResult::StartCondition,
                 {"Начальные обороты < 5000 об/мин.", "Ошибка оператора."}},
    RunErrorText{SampleResult::StartTimeout,
                 {"Таймаут. Начальные обороты не достигнуты.", runCaption}},
    RunErrorText{SampleResult::EndTimeout,
                 {"Таймаут. Конечные обороты не достигнуты.", runCaption}},
    RunErrorText{SampleResult::EngineStopped,
                 {"Двигатель заглушен или работает на стабильно.", runCaption}},
};

constexpr std::array instructions{
    std::string_view{"1. Педалью газа наберите обороты > 5000 об./мин."},
    std::string_view{"2. Нажмите кнопку \"Старт\"."},
    std::string_view{"3. Резко отпустите педаль газа."},
    std::string_view{"Перед началом теста убедитесь что ЭБУ умеет отключать топливоподачу (INJ=0) "
                     "при сбросе газа."},
};

constexpr std::array groups{ResultGroup{"Результаты теста"}};

// The terminal says these as the dialog does.
constexpr std::array results{
    ResultRow{0, "Выбег:", {coastDownTime, Q::seconds}, {}, "сек.", "", ""},
    ResultRow{0, "Изменение темп. ОЖ:", {coolantChange, Q::coolantChange}, {}, "град.", "", ""},
    ResultRow{0,
              "Обороты двиг.(об/мин.):",
              {rpmAtStart, Q::rpmFirst},
              {{rpmAtEnd, Q::rpmLast}},
              "",
              "",
              ""},
    ResultRow{0, "Ускорение оборотов двиг:", {engineDecay, Q::engineFall}, {}, "об/м/с", "", ""},
    ResultRow{0, "Ускорение автомобиля:", {vehicleDecay, Q::vehicleFall}, {}, "км/ч/с", "", ""},
};

constexpr std::array report{
    ReportLine{line::coastDownTime, Q::seconds, {}},
    ReportLine{line::coolant, Q::coolantFirst, Q::coolantLast},
    ReportLine{line::engineSpeed, Q::rpmFirst, Q::rpmLast},
    ReportLine{line::vehicleSpeed, Q::speedFirst, Q::speedLast},
    ReportLine{line::fuelPerDistance, Q::fuelPerDistanceFirst, Q::fuelPerDistanceLast},
    ReportLine{line::fuelPerHour, Q::fuelPerHourFirst, Q::fuelPerHourLast},
    ReportLine{line::engineRate, Q::engineFall, {}},
    ReportLine{line::vehicleDecay, Q::vehicleFall, {}},
};
}  // namespace loss

}  // namespace

const RunDescriptor dynamicRun{
    "Тест динамических качеств",
    "Старт",
    0,
    {dynamic_test::startSpeed, "Начать на оборотах:", 2000, 6, false},
    {dynamic_test::endSpeed, "Закончить на оборотах:", 5500, 6, false},
    LevelText::firstFourDigits,
    InputLayout::rowsThenChoices,
    "",
    dynamic_test::onTheMove,
    dynamic_test::gear1,
    dynamic_test::save,
    true,
    {},
    RunVariant::rpmRise,
    false,
    dyn::checks,
    dyn::errors,
    dyn::groups,
    dyn::results,
    dyn::report,
    {"\r\n\r\n \t ******************************************* \r\n",
     " \t ***   Результаты динамического теста.   *** \r\n",
     " \t ******************************************* \r\n\t\tДата:"},
    ".dmp",
    {"\r\n\r\n \t **************************************************************** \r\n",
     " \t ***   Результаты динамического теста для обработки в Exel.   *** \r\n",
     " \t **************************************************************** \r\n\t\tДата:"},
};

const RunDescriptor accelerationRun{
    "Тест ускорения автомобиля",
    "Начать",
    acceleration_test::start,
    {acceleration_test::startSpeed, "Начать на км./ч.:", 20, 4, true},
    {acceleration_test::endSpeed, "Закончить на км./ч.:", 80, 4, true},
    LevelText::signedWhole,
    InputLayout::groupBesideChoices,
    "Скорость автомобиля",
    0,
    acceleration_test::gear1,
    acceleration_test::save,
    true,
    {},
    RunVariant::speedRiseOrFall,
    true,
    acc::checks,
    acc::errors,
    acc::groups,
    acc::results,
    acc::report,
    {"\r\n\r\n \t ************************************************** \r\n",
     " \t ***   Результаты теста ускорения автомобиля.   *** \r\n",
     " \t ************************************************** \r\n\t\tДата:"},
    ".dma",
    {"\r\n\r\n \t ******************************************************************* \r\n",
     " \t *** Результаты теста ускорения автомобиля для обработки в Exel. *** \r\n",
     " \t ******************************************************************* \r\n\t\tДата:"},
};

const RunDescriptor lossRun{
    "Тест механических потерь",
    "Старт",
    loss_test::start,
    {loss_test::startSpeed, "Обороты двиг. с:", 5000, 6, true},
    {loss_test::endSpeed, "до:", 2000, 6, false},
    LevelText::unsignedWhole,
    InputLayout::oneRowUnderText,
    "об/мин.",
    0,
    0,
    loss_test::save,
    false,
    loss::instructions,
    RunVariant::rpmFall,
    false,
    loss::checks,
    loss::errors,
    loss::groups,
    loss::results,
    loss::report,
    {"\r\n\r\n \t ********************************************* \r\n",
     " \t *** Результаты теста механических потерь. *** \r\n",
     " \t ********************************************* \r\n\t\tДата:"},
    ".dmm",
    {"\r\n\r\n \t ********************************************************* \r\n",
     " \t ***   Результаты теста потерь для обработки в Exel.   *** \r\n",
     " \t ********************************************************* \r\n\t\tДата:"},
};

}  // namespace ecuprobe::console
