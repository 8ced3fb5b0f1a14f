#include "console/dynamic_test_form.h"

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
    {SampleResult::StartCondition, {"Начальные обороты достигнуты до начала теста.", inputCaption}},
    {SampleResult::StartTimeout, {"Таймаут. Начальные обороты не достигнуты.", runCaption}},
    {SampleResult::EndTimeout, {"Таймаут. Конечные обороты не достигнуты.", runCaption}},
    {SampleResult::EngineStopped, {"Двигатель заглушен или работает на стабильно.", runCaption}},
}};

constexpr std::uint32_t highestEndSpeed = 6000;
constexpr std::uint32_t lowestStartSpeed = 1000;
constexpr std::uint32_t smallestRise = 1000;

}  // namespace

std::uint32_t firstFourDigits(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text.substr(0, 4)) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

void DynamicTestForm::setStartText(std::string_view text) {
    start = firstFourDigits(text);
}

void DynamicTestForm::setEndText(std::string_view text) {
    end = firstFourDigits(text);
}

void DynamicTestForm::clickOnTheMove() {
    moving = true;
    chosenGear = 2;
}

void DynamicTestForm::chooseGear(int number) {
    if (moving && number >= 1 && number <= 4) {
        chosenGear = number;
    }
}

std::optional<TestMessage> DynamicTestForm::refusedInput() const {
    if (end > highestEndSpeed) {
        return TestMessage{"Конечные обороты должны быть менее 6000.", inputCaption};
    }
    if (start < lowestStartSpeed) {
        return TestMessage{"Начальные обороты должны быть не менее 1000.", inputCaption};
    }
    if (end <= start || end - start < smallestRise) {
        return TestMessage{"Начальные обороты должны быть меньше конечных не менее чем на 1000.",
                           inputCaption};
    }
    return std::nullopt;
}

measure::SampleResult DynamicTestForm::sample(measure::TestSampler& sampler,
                                              std::span<measure::TestSample> samples) {
    result.startLimit = static_cast<std::int32_t>(start);
    result.endLimit = static_cast<std::int32_t>(end);
    return sampler.runRpmRise(result, samples);
}

std::span<const RunErrorText> DynamicTestForm::runErrors() const {
    return errors;
}

void DynamicTestForm::takeResults() {
    const float t = seconds();
    runUpSeconds = t;
    rpmBefore = static_cast<std::uint32_t>(result.freqFirst);
    rpmAfter = static_cast<std::uint32_t>(result.freqLast);
    // Standing, the speed fields keep what they showed.
    if (chosenGear != 0) {
        speedBefore = static_cast<std::uint32_t>(result.spdFirst);
        speedAfter = static_cast<std::uint32_t>(result.spdLast);
        fuelPerDistanceBefore = result.jqkFirst;
        fuelPerDistanceAfter = result.jqkLast;
        vehicleAcceleration = perSecond(result.spdLast - result.spdFirst, t);
    }
    airBefore = result.jairFirst;
    airAfter = result.jairLast;
    fuelPerHourBefore = result.jqtFirst;
    fuelPerHourAfter = result.jqtLast;
    coolantHeating = result.twatLast - result.twatFirst;
    engineAcceleration = perSecond(result.freqLast - result.freqFirst, t);
}

std::vector<std::pair<ControlId, std::string>> DynamicTestForm::resultTexts() const {
    using namespace dynamic_test;
    return {{runUpTime, formatFloat(runUpSeconds)},
            {dynamic_test::rpmBefore, std::to_string(rpmBefore)},
            {dynamic_test::rpmAfter, std::to_string(rpmAfter)},
            {dynamic_test::speedBefore, std::to_string(speedBefore)},
            {dynamic_test::speedAfter, std::to_string(speedAfter)},
            {dynamic_test::fuelPerHourBefore, formatFloat(fuelPerHourBefore)},
            {dynamic_test::fuelPerHourAfter, formatFloat(fuelPerHourAfter)},
            {dynamic_test::fuelPerDistanceBefore, formatFloat(fuelPerDistanceBefore)},
            {dynamic_test::fuelPerDistanceAfter, formatFloat(fuelPerDistanceAfter)},
            {dynamic_test::airBefore, formatFloat(airBefore)},
            {dynamic_test::airAfter, formatFloat(airAfter)},
            {dynamic_test::engineAcceleration, formatFloat(engineAcceleration)},
            {dynamic_test::vehicleAcceleration, formatFloat(vehicleAcceleration)},
            {dynamic_test::coolantHeating, std::to_string(coolantHeating)}};
}

TestReportTexts DynamicTestForm::reportTexts() const {
    namespace line = report_lines;
    std::string body =
        formatLine(line::runUpTime, {double{runUpSeconds}}) +
        formatLine(line::coolant, {result.twatFirst, result.twatLast}) +
        formatLine(line::engineSpeed, {std::int64_t{rpmBefore}, std::int64_t{rpmAfter}});
    if (chosenGear != 0) {
        body +=
            formatLine(line::vehicleSpeed, {std::int64_t{speedBefore}, std::int64_t{speedAfter}}) +
            formatLine(line::fuelPerDistance,
                       {double{fuelPerDistanceBefore}, double{fuelPerDistanceAfter}});
    }
    body += formatLine(line::airMass, {double{airBefore}, double{airAfter}}) +
            formatLine(line::fuelPerHour, {double{fuelPerHourBefore}, double{fuelPerHourAfter}}) +
            formatLine(line::engineRate, {double{engineAcceleration}});
    if (chosenGear != 0) {
        body += formatLine(line::vehicleRate, {double{vehicleAcceleration}}) +
                formatLine(line::gear, {std::int64_t{chosenGear}});
    }
    body += formatLine(line::coolantRise, {std::int64_t{coolantHeating}});
    return {{"\r\n\r\n \t ******************************************* \r\n",
             " \t ***   Результаты динамического теста.   *** \r\n",
             " \t ******************************************* \r\n\t\tДата:"},
            std::move(body),
            ".dmp",
            {"\r\n\r\n \t **************************************************************** \r\n",
             " \t ***   Результаты динамического теста для обработки в Exel.   *** \r\n",
             " \t **************************************************************** \r\n\t\tДата:"}};
}

}  // namespace ecuprobe::console
