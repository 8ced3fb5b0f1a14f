#pragma once

#include <cstdint>
#include <string_view>

#include "console/measured_form.h"

namespace ecuprobe::console {

// Controls of the dynamic test dialog.
namespace dynamic_test {
inline constexpr ControlId startSpeed = 1083;
inline constexpr ControlId endSpeed = 1084;
inline constexpr ControlId onTheMove = 1085;
inline constexpr ControlId gear1 = 1086;  // 1087, 1088, 1089 for gears 2..4
inline constexpr ControlId save = 1090;
inline constexpr ControlId runUpTime = 1091;
inline constexpr ControlId rpmBefore = 1092;
inline constexpr ControlId speedBefore = 1093;
inline constexpr ControlId rpmAfter = 1094;
inline constexpr ControlId speedAfter = 1095;
inline constexpr ControlId engineAcceleration = 1096;
inline constexpr ControlId vehicleAcceleration = 1097;
inline constexpr ControlId fuelPerHourBefore = 1098;
inline constexpr ControlId airBefore = 1099;
inline constexpr ControlId fuelPerHourAfter = 1100;
inline constexpr ControlId airAfter = 1101;
inline constexpr ControlId fuelPerDistanceAfter = 1102;
inline constexpr ControlId fuelPerDistanceBefore = 1103;
inline constexpr ControlId coolantHeating = 1105;
}  // namespace dynamic_test

// "Тест динамических качеств": how fast the engine runs up from a start speed to an
// end speed, standing or on the move in a gear.
class DynamicTestForm final : public MeasuredTestForm {
public:
    DynamicTestForm(ecu::EcuSession& ecuSession, reports::UserPrompts& userPrompts)
        : MeasuredTestForm(ecuSession, userPrompts, true) {}

    // Each speed field counts by its first four characters: their leading digits,
    // 0 when there are none.
    void setStartText(std::string_view text);
    void setEndText(std::string_view text);
    // "На ходу": the gear buttons become usable, gear 2 chosen.
    void clickOnTheMove();
    // A gear button, 1..4; only while on the move.
    void chooseGear(int number);

    std::uint32_t startSpeed() const { return start; }
    std::uint32_t endSpeed() const { return end; }
    bool onTheMove() const { return moving; }
    int gear() const { return chosenGear; }

    std::vector<std::pair<ControlId, std::string>> resultTexts() const override;
    static constexpr std::string_view title = "Тест динамических качеств";

private:
    std::optional<TestMessage> refusedInput() const override;
    measure::SampleResult sample(measure::TestSampler& sampler,
                                 std::span<measure::TestSample> samples) override;
    std::span<const RunErrorText> runErrors() const override;
    void takeResults() override;
    TestReportTexts reportTexts() const override;

    std::uint32_t start = 2000;
    std::uint32_t end = 5500;
    bool moving = false;
    int chosenGear = 0;

    // The result fields.
    float runUpSeconds = 0;
    std::uint32_t rpmBefore = 0;
    std::uint32_t rpmAfter = 0;
    std::uint32_t speedBefore = 0;
    std::uint32_t speedAfter = 0;
    float fuelPerHourBefore = 0;
    float fuelPerHourAfter = 0;
    float fuelPerDistanceBefore = 0;
    float fuelPerDistanceAfter = 0;
    float airBefore = 0;
    float airAfter = 0;
    float engineAcceleration = 0;
    float vehicleAcceleration = 0;
    std::int32_t coolantHeating = 0;
};

// The value of a speed field: the leading digits of its first four characters.
std::uint32_t firstFourDigits(std::string_view text);

}  // namespace ecuprobe::console
