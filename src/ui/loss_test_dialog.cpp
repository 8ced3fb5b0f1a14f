#include "ui/loss_test_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/loss_test_form.h"
#include "ui/dialog_fields.h"
#include "ui/measured_dialog_layout.h"
#include "ui/qt_text.h"

namespace ecuprobe::ui {

namespace {

namespace id = console::loss_test;
using Form = console::MechanicalLossTestForm;

const TestDialogLook lossLook{
    console::DialogKind::lossTest, Form::title, "Старт", id::start, QStringLiteral("Обороты"),
    QStringLiteral("об/мин")};

QWidget* instructions(QWidget& host) {
    auto* text = new QLabel(&host);
    text->setObjectName(QStringLiteral("instructions"));
    QStringList lines;
    for (const std::string_view line : Form::instructions) {
        lines.append(toQString(line));
    }
    text->setText(lines.join(u'\n'));
    text->setWordWrap(true);
    return text;
}

QGroupBox* resultRows(QWidget& host) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = resultGroup(host, "Результаты теста", grid);
    addResultRow(host, grid, 0, "Выбег:", {id::coastDownTime}, "сек.");
    addResultRow(host, grid, 1, "Изменение темп. ОЖ:", {id::coolantChange}, "град.");
    addStartEndHeads(host, grid, 2);
    addResultRow(host, grid, 3, "Обороты двиг.(об/мин.):", {id::rpmAtStart, id::rpmAtEnd});
    addResultRow(host, grid, 4, "Ускорение оборотов двиг:", {id::engineDecay}, "об/м/с");
    addResultRow(host, grid, 5, "Ускорение автомобиля:", {id::vehicleDecay}, "км/ч/с");
    return group;
}

}  // namespace

LossTestDialog::LossTestDialog(ConsoleLink& consoleLink, QWidget* parent)
    : MeasuredTestDialog(lossLook, consoleLink, parent),
      startSpeed(inputField(*body(), id::startSpeed, 6)),
      endSpeed(inputField(*body(), id::endSpeed, 6)),
      save(checkBox(*body(), id::save, "Сохранить", false)) {
    setObjectName(QStringLiteral("lossTest"));
    QWidget& host = *body();
    acceptDigitsOnly(startSpeed);
    auto* speeds = new QGridLayout;
    addInputRow(host, speeds, 0, "Обороты двиг. с:", startSpeed, QStringLiteral("5000"));
    speeds->addWidget(captionFor(host, endSpeed, "до:"), 0, 2);
    speeds->addWidget(endSpeed, 0, 3);
    speeds->addWidget(new QLabel(QStringLiteral("об/мин."), &host), 0, 4);
    speeds->setColumnStretch(5, 1);
    auto* inputs = new QHBoxLayout;
    inputs->addLayout(speeds, 1);
    inputs->addWidget(save);
    endSpeed->setText(QStringLiteral("2000"));
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(instructions(host));
    layout->addLayout(inputs);
    layout->addWidget(resultRows(host));
}

std::optional<TestRunState::Inputs> LossTestDialog::readInputs() {
    const auto levels = levelsIn(startSpeed, endSpeed, false);
    if (!levels) {
        return std::nullopt;
    }
    const bool saved = save->isChecked();
    return
        [start = static_cast<std::uint32_t>(levels->first),
         end = static_cast<std::uint32_t>(levels->second), saved](console::MeasuredTestForm& form) {
            auto& loss = static_cast<Form&>(form);
            loss.startSpeed = start;
            loss.endSpeed = end;
            loss.save = saved;
        };
}

void LossTestDialog::enableInputs(bool enabled) {
    startSpeed->setEnabled(enabled);
    endSpeed->setEnabled(enabled);
    save->setEnabled(enabled);
}

}  // namespace ecuprobe::ui
