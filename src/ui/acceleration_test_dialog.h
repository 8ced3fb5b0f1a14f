#pragma once

#include "ui/measured_dialog.h"

class QButtonGroup;
class QCheckBox;

namespace ecuprobe::ui {

// "Тест ускорения автомобиля": the time from one road speed to another, speeding
// up or slowing down, in the gear chosen.
class AccelerationTestDialog final : public MeasuredTestDialog {
    Q_OBJECT

public:
    AccelerationTestDialog(ConsoleLink& link, QWidget* parent);

private:
    std::optional<TestRunState::Inputs> readInputs() override;
    void enableInputs(bool enabled) override;

    QLineEdit* startSpeed;
    QLineEdit* endSpeed;
    QButtonGroup* gears;
    QCheckBox* save;
};

}  // namespace ecuprobe::ui
