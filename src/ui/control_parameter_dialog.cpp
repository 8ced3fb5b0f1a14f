#include "ui/control_parameter_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/console_link.h"
#include "ui/dialog_fields.h"
#include "ui/qt_text.h"
#include "ui/up_down_control.h"

namespace ecuprobe::ui {

namespace {

using console::ParameterField;

// The stepper's value goes out as one byte; higher steps are sent as 255.
constexpr int stepperHighest = 255;

bool digitsOnly(ParameterField field) {
    return field == ParameterField::idleStepper || field == ParameterField::idleSpeed;
}

std::size_t indexOf(ParameterField field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

ControlParameterDialog::ControlParameterDialog(const console::ControlParameterForm& start,
                                               ConsoleLink& consoleLink, QWidget* parent)
    : QDialog(parent),
      form(start),
      link(consoleLink),
      enter(new QPushButton(toQString(console::parameterOkCaption), this)),
      cancel(new QPushButton(toQString(console::parameterCancelCaption), this)) {
    setObjectName(QStringLiteral("controlParameters"));
    setWindowTitle(toQString(console::parameterDialogTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    enter->setObjectName(QStringLiteral("c1"));
    cancel->setObjectName(QStringLiteral("c2"));
    enter->setDefault(true);
    connect(enter, &QPushButton::clicked, this, &ControlParameterDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ControlParameterDialog::reject);
    buildFields();
}

void ControlParameterDialog::buildFields() {
    auto* grid = new QGridLayout;
    int row = 0;
    for (const console::ParameterFieldInfo& info : console::parameterFields()) {
        QLineEdit* edit = inputField(*this, info.control, 9);
        edit->setText(toQString(form.text(info.field)));
        if (digitsOnly(info.field)) {
            acceptDigitsOnly(edit);
        }
        fields[indexOf(info.field)] = edit;
        grid->addWidget(captionFor(*this, edit, info.caption), row, 0);
        grid->addWidget(edit, row, 1);
        if (info.field == ParameterField::idleStepper) {
            stepper = new UpDownControl(0, stepperHighest, this);
            stepper->setObjectName(QStringLiteral("c1073"));
            stepper->setFixedHeight(edit->sizeHint().height());
            stepper->setPosition(edit->text().toInt());
            grid->addWidget(stepper, row, 2, Qt::AlignLeft);
            connect(stepper, &UpDownControl::stepped, this,
                    &ControlParameterDialog::stepIdleStepper);
            connect(edit, &QLineEdit::textEdited, stepper,
                    [this](const QString& text) { stepper->setPosition(text.toInt()); });
        } else if (!info.unit.empty()) {
            grid->addWidget(new QLabel(toQString(info.unit), this), row, 2);
        }
        ++row;
    }
    grid->setColumnStretch(1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(enter);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
}

QLineEdit* ControlParameterDialog::field(ParameterField which) const {
    return fields[indexOf(which)];
}

void ControlParameterDialog::stepIdleStepper(int position) {
    field(ParameterField::idleStepper)->setText(QString::number(position));
}

void ControlParameterDialog::accept() {
    if (sending) {
        return;
    }
    for (const console::ParameterFieldInfo& info : console::parameterFields()) {
        form.text(info.field) = field(info.field)->text().toStdString();
    }
    const console::ParameterCheck check = form.validate();
    if (!check.valid()) {
        refuseField(*this, field(*check.field), toQString(check.message));
        return;
    }
    sending = true;
    enter->setEnabled(false);
    cancel->setEnabled(false);
    setCursor(Qt::BusyCursor);
    emit storing(true);
    QPointer<ControlParameterDialog> self(this);
    link.runService(
        [entered = form](console::TesterPanel& panel, reports::UserPrompts&) mutable {
            panel.applyControlParameters(entered);
        },
        [self](bool) {
            if (self) {
                emit self->storing(false);
                self->done(QDialog::Accepted);
            }
        });
}

void ControlParameterDialog::reject() {
    if (!sending) {
        QDialog::reject();
    }
}

}  // namespace ecuprobe::ui
