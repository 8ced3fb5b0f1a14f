#pragma once

#include "ui/measured_dialog.h"

class QButtonGroup;
class QCheckBox;

namespace ecuprobe::ui {

// "Тест динамических качеств": the engine's run-up from a start speed to an end
// speed, standing or, after "На ходу", on the move in the gear chosen.
class DynamicTestDialog final : public MeasuredTestDialog {
    Q_OBJECT

public:
    DynamicTestDialog(ConsoleLink& link, QWidget* parent);

private:
    std::optional<TestRunState::Inputs> readInputs() override;
    void enableInputs(bool enabled) override;
    void goOnTheMove();

    QLineEdit* startSpeed;
    QLineEdit* endSpeed;
    QCheckBox* onTheMove;
    QButtonGroup* gears;
    QCheckBox* save;
};

}  // namespace ecuprobe::ui
