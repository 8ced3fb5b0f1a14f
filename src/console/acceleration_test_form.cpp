#include "console/acceleration_test_form.h"

#include <array>

#include "console/panel_snapshot.h"
#include "console/report_lines.h"
#include "reports/line_format.h"

namespace ecuprobe::console {

namespace {

using measure::SampleResult;
using reports::formatLine;

constexpr std::array<RunErrorText, 5> errors{{
    linkLostError,
    {SampleResult::StartCondition, {"Начальные уловия не соответствуют тесту.", inputCaption}},
    {SampleResult::StartTimeout, {"Таймаут. Начальная скорость не достигнута.", runCaption}},
    {SampleResult::EndTimeout, {"Таймаут. Конечная скорость не достигнута.", runCaption}},
    {SampleResult::NoSpeedSensor,
     {"Ваш автомобиль не оснащен датчиком скорости. Тест не возможен.", runCaption}},
}};

}  // namespace

std::optional<TestMessage> AccelerationTestForm::refusedInput() const {
    if (endSpeed == startSpeed) {
        return TestMessage{"Начальные и конечные скорости должны отличаться.", inputCaption};
    }
    return std::nullopt;
}

measure::SampleResult AccelerationTestForm::sample(measure::TestSampler& sampler,
                                                   std::span<measure::TestSample> samples) {
    result.startLimit = startSpeed;
    result.endLimit = endSpeed;
    return endSpeed > startSpeed ? sampler.runSpeedRise(result, samples)
                                 : sampler.runSpeedFall(result, samples);
}

std::span<const RunErrorText> AccelerationTestForm::runErrors() const {
    return errors;
}

void AccelerationTestForm::takeResults() {
    const float t = seconds();
    elapsedSeconds = t;
    rpmAtStart = static_cast<std::uint32_t>(result.freqFirst);
    rpmAtEnd = static_cast<std::uint32_t>(result.freqLast);
    speedAtStart = static_cast<std::uint32_t>(result.spdFirst);
    speedAtEnd = static_cast<std::uint32_t>(result.spdLast);
    vehicleRate = perSecond(result.spdLast - result.spdFirst, t);
    engineRate = perSecond(result.freqLast - result.freqFirst, t);
}

std::vector<std::pair<ControlId, std::string>> AccelerationTestForm::resultTexts() const {
    namespace id = acceleration_test;
    return {{id::elapsedTime, formatFloat(elapsedSeconds)},
            {id::rpmAtStart, std::to_string(rpmAtStart)},
            {id::rpmAtEnd, std::to_string(rpmAtEnd)},
            {id::speedAtStart, std::to_string(speedAtStart)},
            {id::speedAtEnd, std::to_string(speedAtEnd)},
            {id::engineRate, formatFloat(engineRate)},
            {id::vehicleRate, formatFloat(vehicleRate)}};
}

TestReportTexts AccelerationTestForm::reportTexts() const {
    namespace line = report_lines;
    std::string body =
        formatLine(line::runUpTime, {double{elapsedSeconds}}) +
        formatLine(line::coolant, {result.twatFirst, result.twatLast}) +
        formatLine(line::engineSpeed, {std::int64_t{rpmAtStart}, std::int64_t{rpmAtEnd}}) +
        formatLine(line::vehicleSpeed, {std::int64_t{speedAtStart}, std::int64_t{speedAtEnd}}) +
        formatLine(line::fuelPerDistance, {double{result.jqkFirst}, double{result.jqkLast}}) +
        formatLine(line::airMass, {double{result.jairFirst}, double{result.jairLast}}) +
        formatLine(line::fuelPerHour, {double{result.jqtFirst}, double{result.jqtLast}}) +
        formatLine(line::engineRate, {double{engineRate}}) +
        formatLine(line::vehicleRate, {double{vehicleRate}}) +
        formatLine(line::gear, {std::int64_t{gear}}) +
        formatLine(line::coolantRise, {std::int64_t{result.twatLast - result.twatFirst}});
    return {{"\r\n\r\n \t ************************************************** \r\n",
             " \t ***   Результаты теста ускорения автомобиля.   *** \r\n",
             " \t ************************************************** \r\n\t\tДата:"},
            std::move(body),
            ".dma",
            {"\r\n\r\n \t ******************************************************************* \r\n",
             " \t *** Результаты теста ускорения автомобиля для обработки в Exel. *** \r\n",
             " \t ******************************************************************* "
             "\r\n\t\tДата:"}};
}

}  // namespace ecuprobe::console
