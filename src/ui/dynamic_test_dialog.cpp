#include "ui/dynamic_test_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/dynamic_test_form.h"
#include "ui/dialog_fields.h"
#include "ui/measured_dialog_layout.h"

namespace ecuprobe::ui {

namespace {

namespace id = console::dynamic_test;

const TestDialogLook dynamicLook{
    console::DialogKind::dynamicTest, console::DynamicTestForm::title, "Старт", 0,
    QStringLiteral("Обороты"),        QStringLiteral("об/мин")};

QLayout* resultRows(QWidget& host) {
    auto* grid = new QGridLayout;
    addResultRow(host, grid, 0, "Время разгона(сек.):", {id::runUpTime});
    addStartEndHeads(host, grid, 1);
    addResultRow(host, grid, 2, "Обороты:", {id::rpmBefore, id::rpmAfter});
    addResultRow(host, grid, 3, "Скорость:", {id::speedBefore, id::speedAfter});
    QGridLayout* fuel = nullptr;
    QGroupBox* fuelGroup = resultGroup(host, "Расход топлива:", fuel);
    addResultRow(host, fuel, 0, "л./час:", {id::fuelPerHourBefore, id::fuelPerHourAfter});
    addResultRow(host, fuel, 1, "л./100км:", {id::fuelPerDistanceBefore, id::fuelPerDistanceAfter});
    addResultRow(host, fuel, 2, "воздуха:", {id::airBefore, id::airAfter});
    QGridLayout* rates = nullptr;
    QGroupBox* rateGroup = resultGroup(host, "Ускорение", rates);
    addResultRow(host, rates, 0, "об./мин/с:", {id::engineAcceleration});
    addResultRow(host, rates, 1, "км/ч/с:", {id::vehicleAcceleration});
    QGridLayout* heat = nullptr;
    QGroupBox* heatGroup = resultGroup(host, "Нагрев гр.", heat);
    addResultRow(host, heat, 0, "°C:", {id::coolantHeating});
    auto* groups = new QHBoxLayout;
    groups->addWidget(rateGroup);
    groups->addWidget(heatGroup, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->addLayout(grid);
    column->addWidget(fuelGroup);
    column->addLayout(groups);
    return column;
}

}  // namespace

DynamicTestDialog::DynamicTestDialog(ConsoleLink& consoleLink, QWidget* parent)
    : MeasuredTestDialog(dynamicLook, consoleLink, parent),
      startSpeed(inputField(*body(), id::startSpeed, 6)),
      endSpeed(inputField(*body(), id::endSpeed, 6)),
      onTheMove(checkBox(*body(), id::onTheMove, "На ходу", false)),
      gears(nullptr),
      save(checkBox(*body(), id::save, "Сохранить", true)) {
    setObjectName(QStringLiteral("dynamicTest"));
    QWidget& host = *body();
    auto* inputs = new QGridLayout;
    addInputRow(host, inputs, 0, "Начать на оборотах:", startSpeed, QStringLiteral("2000"));
    addInputRow(host, inputs, 1, "Закончить на оборотах:", endSpeed, QStringLiteral("5500"));
    QGroupBox* gearGroup = gearButtons(host, "Передача", id::gear1, gears);
    for (QAbstractButton* gear : gears->buttons()) {
        gear->setEnabled(false);
    }
    auto* choices = new QHBoxLayout;
    choices->addWidget(onTheMove);
    choices->addWidget(gearGroup);
    choices->addWidget(save);
    choices->addStretch(1);
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(inputs);
    layout->addLayout(choices);
    layout->addLayout(resultRows(host));
    connect(onTheMove, &QCheckBox::clicked, this, &DynamicTestDialog::goOnTheMove);
}

// Once on the move, the dialog stays so: a standing run needs a new dialog.
void DynamicTestDialog::goOnTheMove() {
    onTheMove->setChecked(true);
    onTheMove->setEnabled(false);
    for (QAbstractButton* gear : gears->buttons()) {
        gear->setEnabled(true);
    }
    gears->button(2)->setChecked(true);
}

std::optional<TestRunState::Inputs> DynamicTestDialog::readInputs() {
    const std::string start = startSpeed->text().toStdString();
    const std::string end = endSpeed->text().toStdString();
    const bool moving = onTheMove->isChecked();
    const int gear = gears->checkedId();
    const bool saved = save->isChecked();
    return [start, end, moving, gear, saved](console::MeasuredTestForm& form) {
        auto& dynamic = static_cast<console::DynamicTestForm&>(form);
        dynamic.setStartText(start);
        dynamic.setEndText(end);
        if (moving && !dynamic.onTheMove()) {
            dynamic.clickOnTheMove();
        }
        dynamic.chooseGear(gear);
        dynamic.save = saved;
    };
}

void DynamicTestDialog::enableInputs(bool enabled) {
    startSpeed->setEnabled(enabled);
    endSpeed->setEnabled(enabled);
    onTheMove->setEnabled(enabled && !onTheMove->isChecked());
    for (QAbstractButton* gear : gears->buttons()) {
        gear->setEnabled(enabled && onTheMove->isChecked());
    }
    save->setEnabled(enabled);
}

}  // namespace ecuprobe::ui
