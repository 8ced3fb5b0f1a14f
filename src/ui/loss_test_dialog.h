#pragma once

#include "ui/measured_dialog.h"

class QCheckBox;

namespace ecuprobe::ui {

// "Тест механических потерь": the engine's coast-down with the fuel cut off, from
// the start speed to the end speed, after the operator's instructions.
class LossTestDialog final : public MeasuredTestDialog {
    Q_OBJECT

public:
    LossTestDialog(ConsoleLink& link, QWidget* parent);

private:
    std::optional<TestRunState::Inputs> readInputs() override;
    void enableInputs(bool enabled) override;

    QLineEdit* startSpeed;
    QLineEdit* endSpeed;
    QCheckBox* save;
};

}  // namespace ecuprobe::ui
