#include "ui/measured_dialog_layout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/console_form.h"
#include "ui/dialog_fields.h"
#include "ui/qt_text.h"

namespace ecuprobe::ui {

void addResultRow(QWidget& host, QGridLayout* grid, int row, std::string_view caption,
                  std::initializer_list<console::ControlId> ids, std::string_view unit) {
    int column = 1;
    QLineEdit* first = nullptr;
    for (const console::ControlId id : ids) {
        QLineEdit* field = readOnlyField(host, id, 9);
        // Every result starts at 0 until a run fills it.
        field->setText(QStringLiteral("0"));
        first = first != nullptr ? first : field;
        grid->addWidget(field, row, column++);
    }
    grid->addWidget(captionFor(host, first, caption), row, 0);
    if (!unit.empty()) {
        grid->addWidget(new QLabel(toQString(unit), &host), row, column);
    }
}

void addStartEndHeads(QWidget& host, QGridLayout* grid, int row) {
    grid->addWidget(new QLabel(QStringLiteral("Начало"), &host), row, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Окочание"), &host), row, 2, Qt::AlignHCenter);
}

void addInputRow(QWidget& host, QGridLayout* grid, int row, std::string_view caption,
                 QLineEdit* field, const QString& first) {
    field->setText(first);
    grid->addWidget(captionFor(host, field, caption), row, 0);
    grid->addWidget(field, row, 1);
}

QGroupBox* gearButtons(QWidget& host, std::string_view title, console::ControlId first,
                       QButtonGroup*& buttons) {
    auto* group = new QGroupBox(toQString(title), &host);
    auto* row = new QHBoxLayout(group);
    buttons = new QButtonGroup(group);
    for (int gear = 1; gear <= 4; ++gear) {
        auto* button = new QRadioButton(QString::number(gear), group);
        button->setObjectName(controlName(first + gear - 1));
        buttons->addButton(button, gear);
        row->addWidget(button);
    }
    return group;
}

QCheckBox* checkBox(QWidget& host, console::ControlId id, std::string_view caption, bool checked) {
    auto* box = new QCheckBox(toQString(caption), &host);
    box->setObjectName(controlName(id));
    box->setChecked(checked);
    return box;
}

QGroupBox* resultGroup(QWidget& host, std::string_view title, QGridLayout*& grid) {
    auto* group = new QGroupBox(toQString(title), &host);
    grid = new QGridLayout(group);
    return group;
}

}  // namespace ecuprobe::ui
