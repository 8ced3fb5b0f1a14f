#include "ui/measured_dialog_layout.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

#include "ui/console_form.h"
#include "ui/dialog_fields.h"
#include "ui/qt_text.h"

namespace ecuprobe::ui {

void addResultRow(QWidget& host, QGridLayout* grid, int row, std::string_view caption,
                  std::span<const console::ControlId> ids, std::string_view unit) {
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

namespace {

QLineEdit* levelField(QWidget& host, const console::LevelInput& level) {
    QLineEdit* field = inputField(host, level.id, level.width);
    if (level.digitsOnly) {
        acceptDigitsOnly(field);
    }
    return field;
}

QString firstText(const console::LevelInput& level) {
    return QString::number(level.first);
}

// The two levels in rows; "На ходу", the gear buttons (usable once on the move)
// and "Сохранить" on a line below.
QLayout* rowsThenChoices(QWidget& host, const console::RunDescriptor& test, InputFields& in) {
    auto* levels = new QGridLayout;
    addInputRow(host, levels, 0, test.start.caption, in.start, firstText(test.start));
    addInputRow(host, levels, 1, test.end.caption, in.end, firstText(test.end));
    QGroupBox* gearGroup = gearButtons(host, "Передача", test.gear1, in.gears);
    for (QAbstractButton* gear : in.gears->buttons()) {
        gear->setEnabled(false);
    }
    auto* choices = new QHBoxLayout;
    choices->addWidget(in.onTheMove);
    choices->addWidget(gearGroup);
    choices->addWidget(in.save);
    choices->addStretch(1);
    auto* column = new QVBoxLayout;
    column->addLayout(levels);
    column->addLayout(choices);
    return column;
}

// The levels in a frame; beside it the gear buttons over "Сохранить".
QLayout* groupBesideChoices(QWidget& host, const console::RunDescriptor& test, InputFields& in) {
    QGridLayout* levels = nullptr;
    QGroupBox* levelGroup = resultGroup(host, test.levelGroup, levels);
    addInputRow(host, levels, 0, test.start.caption, in.start, firstText(test.start));
    addInputRow(host, levels, 1, test.end.caption, in.end, firstText(test.end));
    auto* choices = new QVBoxLayout;
    choices->addWidget(gearButtons(host, "Передача", test.gear1, in.gears));
    choices->addWidget(in.save);
    auto* line = new QHBoxLayout;
    line->addWidget(levelGroup);
    line->addLayout(choices);
    line->addStretch(1);
    return line;
}

// The operator's instructions, then both levels on one line with their unit,
// and "Сохранить".
QLayout* oneRowUnderText(QWidget& host, const console::RunDescriptor& test, InputFields& in) {
    auto* levels = new QGridLayout;
    addInputRow(host, levels, 0, test.start.caption, in.start, firstText(test.start));
    levels->addWidget(captionFor(host, in.end, test.end.caption), 0, 2);
    levels->addWidget(in.end, 0, 3);
    levels->addWidget(new QLabel(toQString(test.levelGroup), &host), 0, 4);
    levels->setColumnStretch(5, 1);
    auto* line = new QHBoxLayout;
    line->addLayout(levels, 1);
    line->addWidget(in.save);
    in.end->setText(firstText(test.end));
    auto* text = new QLabel(&host);
    text->setObjectName(QStringLiteral("instructions"));
    QStringList lines;
    for (const std::string_view instruction : test.instructions) {
        lines.append(toQString(instruction));
    }
    text->setText(lines.join(u'\n'));
    text->setWordWrap(true);
    auto* column = new QVBoxLayout;
    column->addWidget(text);
    column->addLayout(line);
    return column;
}

// The result rows by their groups: "Начало" and "Окочание" over the first pair
// of the first group; a group beside the previous one on its line, at the top.
QLayout* resultRows(QWidget& host, const console::RunDescriptor& test) {
    auto* column = new QVBoxLayout;
    QHBoxLayout* line = nullptr;
    bool headed = false;
    for (std::size_t g = 0; g < test.groups.size(); ++g) {
        const console::ResultGroup& group = test.groups[g];
        QGridLayout* grid = nullptr;
        QGroupBox* box = group.title.empty() ? nullptr : resultGroup(host, group.title, grid);
        grid = box != nullptr ? grid : new QGridLayout;
        int row = 0;
        for (const console::ResultRow& result : test.results) {
            if (result.group != g) {
                continue;
            }
            if (result.second && !headed) {
                addStartEndHeads(host, grid, row++);
                headed = true;
            }
            const std::array<console::ControlId, 2> ids{result.first.id,
                                                        result.second ? result.second->id : 0};
            addResultRow(host, grid, row++, result.caption,
                         std::span(ids).first(result.second ? 2 : 1), result.unit);
        }
        const bool besideNext = g + 1 < test.groups.size() && test.groups[g + 1].besidePrevious;
        if (box == nullptr) {
            column->addLayout(grid);
        } else if (group.besidePrevious && line != nullptr) {
            line->addWidget(box, 0, Qt::AlignTop);
        } else if (besideNext) {
            line = new QHBoxLayout;
            line->addWidget(box);
            column->addLayout(line);
        } else {
            column->addWidget(box);
        }
    }
    return column;
}

}  // namespace

InputFields layOutTest(QWidget& host, const console::RunDescriptor& test) {
    InputFields in;
    in.start = levelField(host, test.start);
    in.end = levelField(host, test.end);
    if (test.onTheMove != 0) {
        in.onTheMove = checkBox(host, test.onTheMove, "На ходу", false);
    }
    in.save = checkBox(host, test.save, "Сохранить", test.saveFirst);
    QLayout* inputs = nullptr;
    switch (test.layout) {
        case console::InputLayout::rowsThenChoices:
            inputs = rowsThenChoices(host, test, in);
            break;
        case console::InputLayout::groupBesideChoices:
            inputs = groupBesideChoices(host, test, in);
            break;
        case console::InputLayout::oneRowUnderText:
            inputs = oneRowUnderText(host, test, in);
            break;
    }
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(inputs);
    layout->addLayout(resultRows(host, test));
    return in;
}

}  // namespace ecuprobe::ui
