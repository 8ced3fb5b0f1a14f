#include "ui/acceleration_test_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/acceleration_test_form.h"
#include "ui/dialog_fields.h"
#include "ui/measured_dialog_layout.h"

namespace ecuprobe::ui {

namespace {

namespace id = console::acceleration_test;

const TestDialogLook accelerationLook{console::DialogKind::accelerationTest,
                                      console::AccelerationTestForm::title,
                                      "Начать",
                                      id::start,
                                      QStringLiteral("Скорость"),
                                      QStringLiteral("км/ч")};

QLayout* resultRows(QWidget& host) {
    auto* grid = new QGridLayout;
    addResultRow(host, grid, 0, "Время выбега(сек.):", {id::elapsedTime});
    addStartEndHeads(host, grid, 1);
    addResultRow(host, grid, 2, "Обороты:", {id::rpmAtStart, id::rpmAtEnd});
    addResultRow(host, grid, 3, "Скорость:", {id::speedAtStart, id::speedAtEnd});
    QGridLayout* rates = nullptr;
    QGroupBox* rateGroup = resultGroup(host, "Ускорение", rates);
    addResultRow(host, rates, 0, "об./мин/с:", {id::engineRate});
    addResultRow(host, rates, 1, "км/ч/с:", {id::vehicleRate});
    auto* column = new QVBoxLayout;
    column->addLayout(grid);
    column->addWidget(rateGroup);
    return column;
}

QLineEdit* speedField(QWidget& host, console::ControlId control) {
    QLineEdit* field = inputField(host, control, 4);
    acceptDigitsOnly(field);
    return field;
}

}  // namespace

AccelerationTestDialog::AccelerationTestDialog(ConsoleLink& consoleLink, QWidget* parent)
    : MeasuredTestDialog(accelerationLook, consoleLink, parent),
      startSpeed(speedField(*body(), id::startSpeed)),
      endSpeed(speedField(*body(), id::endSpeed)),
      gears(nullptr),
      save(checkBox(*body(), id::save, "Сохранить", true)) {
    setObjectName(QStringLiteral("accelerationTest"));
    QWidget& host = *body();
    QGridLayout* speeds = nullptr;
    QGroupBox* speedGroup = resultGroup(host, "Скорость автомобиля", speeds);
    addInputRow(host, speeds, 0, "Начать на км./ч.:", startSpeed, QStringLiteral("20"));
    addInputRow(host, speeds, 1, "Закончить на км./ч.:", endSpeed, QStringLiteral("80"));
    auto* choices = new QVBoxLayout;
    choices->addWidget(gearButtons(host, "Передача", id::gear1, gears));
    choices->addWidget(save);
    auto* inputs = new QHBoxLayout;
    inputs->addWidget(speedGroup);
    inputs->addLayout(choices);
    inputs->addStretch(1);
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(inputs);
    layout->addLayout(resultRows(host));
}

std::optional<TestRunState::Inputs> AccelerationTestDialog::readInputs() {
    const auto levels = levelsIn(startSpeed, endSpeed, true);
    if (!levels) {
        return std::nullopt;
    }
    const int gear = gears->checkedId() < 0 ? 0 : gears->checkedId();
    const bool saved = save->isChecked();
    return [start = static_cast<std::int32_t>(levels->first),
            end = static_cast<std::int32_t>(levels->second), gear,
            saved](console::MeasuredTestForm& form) {
        auto& acceleration = static_cast<console::AccelerationTestForm&>(form);
        acceleration.startSpeed = start;
        acceleration.endSpeed = end;
        acceleration.gear = gear;
        acceleration.save = saved;
    };
}

void AccelerationTestDialog::enableInputs(bool enabled) {
    startSpeed->setEnabled(enabled);
    endSpeed->setEnabled(enabled);
    for (QAbstractButton* gear : gears->buttons()) {
        gear->setEnabled(enabled);
    }
    save->setEnabled(enabled);
}

}  // namespace ecuprobe::ui
