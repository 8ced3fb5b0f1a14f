#pragma once

#include <cstdint>
#include <string_view>

#include "console/measured_form.h"

namespace ecuprobe::console {

// Controls of the mechanical loss test dialog.
namespace loss_test {
inline constexpr ControlId startSpeed = 1083;
inline constexpr ControlId endSpeed = 1084;
inline constexpr ControlId coolantChange = 1010;
inline constexpr ControlId engineDecay = 1011;
inline constexpr ControlId vehicleDecay = 1012;
inline constexpr ControlId rpmAtStart = 1092;
inline constexpr ControlId rpmAtEnd = 1094;
inline constexpr ControlId coastDownTime = 1112;
inline constexpr ControlId start = 1114;
inline constexpr ControlId save = 1119;
}  // namespace loss_test

// "Тест механических потерь": the engine revved above the start speed, the throttle
// released, and the time the engine takes to coast down to the end speed with the
// fuel cut off.
class MechanicalLossTestForm final : public MeasuredTestForm {
public:
    MechanicalLossTestForm(ecu::EcuSession& ecuSession, reports::UserPrompts& userPrompts)
        : MeasuredTestForm(ecuSession, userPrompts, false) {}

    std::uint32_t startSpeed = 5000;  // rpm
    std::uint32_t endSpeed = 2000;

    std::vector<std::pair<ControlId, std::string>> resultTexts() const override;
    static constexpr std::string_view title = "Тест механических потерь";
    // The operator's instructions the dialog shows.
    static constexpr std::string_view instructions[] = {
        "1. Педалью газа наберите обороты > 5000 об./мин.",
        "2. Нажмите кнопку \"Старт\".",
        "3. Резко отпустите педаль газа.",
        "Перед началом теста убедитесь что ЭБУ умеет отключать топливоподачу (INJ=0) при "
        "сбросе газа.",
    };

private:
    std::optional<TestMessage> refusedInput() const override;
    measure::SampleResult sample(measure::TestSampler& sampler,
                                 std::span<measure::TestSample> samples) override;
    std::span<const RunErrorText> runErrors() const override;
    void takeResults() override;
    TestReportTexts reportTexts() const override;

    float coastDownSeconds = 0;
    std::int32_t coolantChange = 0;
    std::uint32_t rpmAtStart = 0;
    std::uint32_t rpmAtEnd = 0;
    float engineDecay = 0;
    float vehicleDecay = 0;
};

}  // namespace ecuprobe::console
