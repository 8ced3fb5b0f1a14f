#pragma once

#include <cstdint>
#include <string_view>

#include "console/measured_form.h"

namespace ecuprobe::console {

// Controls of the acceleration test dialog.
namespace acceleration_test {
inline constexpr ControlId gear1 = 1122;  // 1123, 1124, 1125 for gears 2..4
inline constexpr ControlId save = 1126;
inline constexpr ControlId elapsedTime = 1127;
inline constexpr ControlId rpmAtStart = 1128;
inline constexpr ControlId rpmAtEnd = 1129;
inline constexpr ControlId engineRate = 1130;
inline constexpr ControlId speedAtStart = 1131;
inline constexpr ControlId speedAtEnd = 1132;
inline constexpr ControlId vehicleRate = 1133;
inline constexpr ControlId startSpeed = 1134;
inline constexpr ControlId endSpeed = 1135;
inline constexpr ControlId start = 1109;
}  // namespace acceleration_test

// "Тест ускорения автомобиля": the time the car needs from one road speed to
// another, speeding up (start below end) or slowing down (start above end).
class AccelerationTestForm final : public MeasuredTestForm {
public:
    AccelerationTestForm(ecu::EcuSession& ecuSession, reports::UserPrompts& userPrompts)
        : MeasuredTestForm(ecuSession, userPrompts, true) {}

    std::int32_t startSpeed = 20;  // km/h
    std::int32_t endSpeed = 80;
    // 0 while no gear button is chosen, else 1..4.
    int gear = 0;

    std::vector<std::pair<ControlId, std::string>> resultTexts() const override;
    static constexpr std::string_view title = "Тест ускорения автомобиля";

private:
    std::optional<TestMessage> refusedInput() const override;
    measure::SampleResult sample(measure::TestSampler& sampler,
                                 std::span<measure::TestSample> samples) override;
    std::span<const RunErrorText> runErrors() const override;
    void takeResults() override;
    TestReportTexts reportTexts() const override;

    float elapsedSeconds = 0;
    std::uint32_t rpmAtStart = 0;
    std::uint32_t rpmAtEnd = 0;
    std::uint32_t speedAtStart = 0;
    std::uint32_t speedAtEnd = 0;
    float engineRate = 0;
    float vehicleRate = 0;
};

}  // namespace ecuprobe::console
