#include "console/loss_test_form.h"

#include <array>

#include "console/panel_snapshot.h"
#include "console/report_lines.h"
#include "reports/line_format.h"

namespace ecuprobe::console {

namespace {

using measure::SampleResult;
using reports::formatLine;

// StartCondition here is an engine never revved up to the start speed; its text
// names 5000 whatever the start speed is.
constexpr std::array<RunErrorText, 5> errors{{
    linkLostError,
    {SampleResult::StartCondition, {"Начальные обороты < 5000 об/мин.", "Ошибка оператора."}},
    {SampleResult::StartTimeout, {"Таймаут. Начальные обороты не достигнуты.", runCaption}},
    {SampleResult::EndTimeout, {"Таймаут. Конечные обороты не достигнуты.", runCaption}},
    {SampleResult::EngineStopped, {"Двигатель заглушен или работает на стабильно.", runCaption}},
}};

constexpr std::uint32_t highestEndSpeed = 3000;
constexpr std::uint32_t lowestStartSpeed = 3000;
constexpr std::uint32_t smallestFall = 1000;

}  // namespace

std::optional<TestMessage> MechanicalLossTestForm::refusedInput() const {
    if (endSpeed > highestEndSpeed) {
        return TestMessage{"Конечные обороты должны быть менее 3000.", inputCaption};
    }
    if (startSpeed < lowestStartSpeed) {
        return TestMessage{"Начальные обороты должны быть не менее 3000.", inputCaption};
    }
    if (startSpeed - endSpeed < smallestFall) {
        return TestMessage{"Начальные обороты должны быть больше конечных не менее чем на 1000.",
                           inputCaption};
    }
    return std::nullopt;
}

measure::SampleResult MechanicalLossTestForm::sample(measure::TestSampler& sampler,
                                                     std::span<measure::TestSample> samples) {
    result.startLimit = static_cast<std::int32_t>(startSpeed);
    result.endLimit = static_cast<std::int32_t>(endSpeed);
    return sampler.runRpmFall(result, samples);
}

std::span<const RunErrorText> MechanicalLossTestForm::runErrors() const {
    return errors;
}

void MechanicalLossTestForm::takeResults() {
    const float t = seconds();
    coastDownSeconds = t;
    rpmAtStart = static_cast<std::uint32_t>(result.freqFirst);
    rpmAtEnd = static_cast<std::uint32_t>(result.freqLast);
    coolantChange = result.twatLast - result.twatFirst;
    vehicleDecay = perSecond(result.spdFirst - result.spdLast, t);
    engineDecay = perSecond(result.freqFirst - result.freqLast, t);
}

std::vector<std::pair<ControlId, std::string>> MechanicalLossTestForm::resultTexts() const {
    namespace id = loss_test;
    return {{id::coastDownTime, formatFloat(coastDownSeconds)},
            {id::coolantChange, std::to_string(coolantChange)},
            {id::rpmAtStart, std::to_string(rpmAtStart)},
            {id::rpmAtEnd, std::to_string(rpmAtEnd)},
            {id::engineDecay, formatFloat(engineDecay)},
            {id::vehicleDecay, formatFloat(vehicleDecay)}};
}

TestReportTexts MechanicalLossTestForm::reportTexts() const {
    namespace line = report_lines;
    std::string body =
        formatLine(line::coastDownTime, {double{coastDownSeconds}}) +
        formatLine(line::coolant, {result.twatFirst, result.twatLast}) +
        formatLine(line::engineSpeed, {result.freqFirst, result.freqLast}) +
        formatLine(line::vehicleSpeed, {result.spdFirst, result.spdLast}) +
        formatLine(line::fuelPerDistance, {double{result.jqkFirst}, double{result.jqkLast}}) +
        formatLine(line::fuelPerHour, {double{result.jqtFirst}, double{result.jqtLast}}) +
        formatLine(line::engineRate, {double{engineDecay}}) +
        formatLine(line::vehicleDecay, {double{vehicleDecay}});
    return {{"\r\n\r\n \t ********************************************* \r\n",
             " \t *** Результаты теста механических потерь. *** \r\n",
             " \t ********************************************* \r\n\t\tДата:"},
            std::move(body),
            ".dmm",
            {"\r\n\r\n \t ********************************************************* \r\n",
             " \t ***   Результаты теста потерь для обработки в Exel.   *** \r\n",
             " \t ********************************************************* \r\n\t\tДата:"}};
}

}  // namespace ecuprobe::console
