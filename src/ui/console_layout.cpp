#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

#include "console/live_fields.h"
#include "console/panel_period.h"
#include "ui/console_form.h"
#include "ui/qt_text.h"
#include "ui/up_down_control.h"

namespace ecuprobe::ui {

namespace {

using console::ControlId;
namespace control = console::control;

QString groupTitle(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Live values in two columns of the engine frame, left then right on each row.
constexpr std::pair<ControlId, ControlId> engineRows[] = {
    {control::TWAT, control::TAIR},   {control::THR, control::FSM},
    {control::FREQ, control::UGB},    {control::UOZ, control::JDMM},
    {control::SPD, control::FAZ},     {control::NUACC, control::INJ},
    {control::JAIR, control::JQT},    {control::COEFF1, control::JQK},
    {control::COEFF2, control::BDET},
};

constexpr ControlId stateFlagsLeft[] = {control::BITPOW, control::RXX, control::BLKINJ,
                                        control::BITSTP, control::DET};
constexpr ControlId stateFlagsRight[] = {control::WRKLAM, control::RDET, control::BITATM,
                                         control::INPLAM1};
constexpr ControlId outputBoxes[] = {control::fuelPump, control::checkEngineLamp,
                                     control::airConditioner, control::canisterPurge, control::fan};

}  // namespace

// Builds the console's frames; the ConsoleForm keeps what it made by identifier.
class ConsoleLayout {
public:
    ConsoleLayout(ConsoleForm& made, QWidget& on) : form(made), host(on) {}

    void build() {
        auto* layout = new QVBoxLayout(&host);
        layout->addLayout(topRow());
        layout->addWidget(linkState());
        layout->addLayout(faultRow());
        auto* frames = new QHBoxLayout;
        frames->addWidget(engineFrame(), 3);
        frames->addWidget(outputFrame(), 2);
        layout->addLayout(frames, 1);
        form.statusBar = new QStatusBar(&host);
        form.statusBar->setObjectName(QStringLiteral("linkStatus"));
        form.statusBar->setSizeGripEnabled(false);
        layout->addWidget(form.statusBar);
        // Enter must never start what has the focus: after "Начать" that was "Динам.".
        for (QPushButton* button : host.findChildren<QPushButton*>()) {
            button->setAutoDefault(false);
        }
    }

private:
    template <typename Widget>
    Widget* named(Widget* widget, ControlId id) {
        widget->setObjectName(controlName(id));
        form.byId[id] = widget;
        return widget;
    }

    QPushButton* button(ControlId id) {
        return named(new QPushButton(controlCaption(id), &host), id);
    }
    QCheckBox* box(ControlId id) { return named(new QCheckBox(controlCaption(id), &host), id); }

    QLineEdit* field(ControlId id, int digits = 7) {
        auto* edit = named(new QLineEdit(&host), id);
        edit->setReadOnly(true);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(digits, u'0')) + 12);
        return edit;
    }

    QLabel* labelFor(QWidget* buddy, ControlId id) {
        auto* label = new QLabel(controlCaption(id), &host);
        label->setBuddy(buddy);
        return label;
    }

    // The value's unit beside its box; an empty label where it has none keeps
    // the column aligned.
    QLabel* unitOf(ControlId id) {
        const console::LiveField* shown = console::liveFieldFor(id);
        auto* unit =
            new QLabel(shown != nullptr ? toQString(console::fieldUnit(*shown)) : QString(), &host);
        unit->setObjectName(controlName(id) + QStringLiteral("Unit"));
        return unit;
    }

    // Caption, box and unit in three columns from column on.
    void addLabelled(QGridLayout* grid, int row, int column, ControlId id) {
        QLineEdit* edit = field(id);
        grid->addWidget(labelFor(edit, id), row, column);
        grid->addWidget(edit, row, column + 1);
        grid->addWidget(unitOf(id), row, column + 2);
    }

    QLayout* topRow() {
        auto* tests = new QGroupBox(groupTitle("Тесты"), &host);
        auto* testButtons = new QHBoxLayout(tests);
        for (const ControlId id : {control::dynamicTest, control::lossTest,
                                   control::accelerationTest, control::command}) {
            testButtons->addWidget(button(id));
        }
        auto* startColumn = new QVBoxLayout;
        startColumn->addWidget(button(control::start));
        form.comBox = named(new QComboBox(&host), control::comPort);
        for (const std::string_view entry : console::comPortEntries) {
            form.comBox->addItem(toQString(entry));
        }
        // The entries gain their devices; the top row must not widen with them.
        form.comBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        form.comBox->setMinimumContentsLength(6);
        auto* comRow = new QHBoxLayout;
        comRow->setSpacing(2);
        comRow->addWidget(form.comBox, 1);
        comRow->addWidget(comMapButton());
        startColumn->addLayout(comRow);
        auto* row = new QHBoxLayout;
        row->addWidget(tests);
        row->addWidget(button(control::identify), 0, Qt::AlignBottom);
        row->addWidget(field(control::statusText, 16), 1, Qt::AlignBottom);
        row->addLayout(startColumn);
        return row;
    }

    QLabel* linkState() {
        form.linkState = new QLabel(&host);
        form.linkState->setObjectName(QStringLiteral("linkState"));
        form.linkState->setWordWrap(true);
        QFont larger = form.linkState->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.15);
        form.linkState->setFont(larger);
        return form.linkState;
    }

    QLayout* faultRow() {
        auto* faults = new QGroupBox(groupTitle("Check Eigine (Ошибки)"), &host);
        auto* inside = new QHBoxLayout(faults);
        auto* text = named(new QPlainTextEdit(&host), control::faultText);
        text->setReadOnly(true);
        text->setFixedHeight(text->fontMetrics().lineSpacing() * 2 + 12);
        inside->addWidget(text, 1);
        QLineEdit* count = field(control::faultCount, 3);
        count->setMaximumWidth(count->minimumWidth());
        inside->addWidget(count);
        inside->addWidget(button(control::decodeFaults));
        inside->addWidget(button(control::clearFaults));
        auto* row = new QHBoxLayout;
        row->addWidget(faults, 1);
        row->addWidget(button(control::saveDump));
        row->addLayout(periodBox());
        form.chartButton = new QPushButton(groupTitle("График"), &host);
        form.chartButton->setObjectName(QStringLiteral("chartButton"));
        form.chartButton->setToolTip(groupTitle("Живые значения на графике"));
        row->addWidget(form.chartButton);
        form.driveLogButton = new QPushButton(groupTitle("Запись лога"), &host);
        form.driveLogButton->setObjectName(QStringLiteral("driveLogButton"));
        form.driveLogButton->setCheckable(true);
        row->addWidget(form.driveLogButton);
        // Under the row, at the right beneath the button; shown while a log runs.
        form.driveLogState = new QLabel(&host);
        form.driveLogState->setObjectName(QStringLiteral("driveLogState"));
        form.driveLogState->hide();
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        column->addLayout(row);
        column->addWidget(form.driveLogState, 0, Qt::AlignRight);
        return column;
    }

    QToolButton* comMapButton() {
        form.comMapButton = new QToolButton(&host);
        form.comMapButton->setObjectName(QStringLiteral("comMapButton"));
        form.comMapButton->setText(QStringLiteral("…"));
        form.comMapButton->setToolTip(groupTitle("Назначить COM-порт найденному адаптеру"));
        form.comMapButton->setPopupMode(QToolButton::InstantPopup);
        form.comMapButton->setMenu(new QMenu(form.comMapButton));
        return form.comMapButton;
    }

    QLayout* periodBox() {
        QLineEdit* period = field(control::period, 2);
        auto* caption = new QLabel(groupTitle("Период опроса:"), &host);
        caption->setObjectName(QStringLiteral("periodLabel"));
        caption->setBuddy(period);
        period->setMaximumWidth(period->minimumWidth());
        period->setToolTip(groupTitle("Период опроса: 0 (0,6 с), 1 (1 с) или 2 (2 с)"));
        form.upDown =
            named(new UpDownControl(console::periodEntryMin, console::periodEntryMax, &host),
                  control::periodUpDown);
        form.upDown->setFixedHeight(period->sizeHint().height());
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(caption, 0, Qt::AlignVCenter);
        box->addSpacing(4);
        box->addWidget(period, 0, Qt::AlignVCenter);
        box->addWidget(form.upDown, 0, Qt::AlignVCenter);
        return box;
    }

    QGroupBox* engineFrame() {
        auto* frame = new QGroupBox(groupTitle("Параметры двигателя"), &host);
        auto* grid = new QGridLayout(frame);
        grid->addWidget(staleNote(), 0, 0, 1, 6);
        int row = 1;
        for (const auto& [left, right] : engineRows) {
            addLabelled(grid, row, 0, left);
            addLabelled(grid, row, 3, right);
            ++row;
        }
        addLabelled(grid, row, 0, control::VALF);
        grid->addLayout(lambdaVoltages(grid, row), row, 4, 1, 2);
        ++row;
        addFlagColumn(grid, row, 0, stateFlagsLeft);
        addFlagColumn(grid, row, 3, stateFlagsRight);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(4, 1);
        grid->setRowStretch(row + 5, 1);
        return frame;
    }

    // "Напр. на L-зонде: №1:" [LAM1] мВ "№2:" [LAM2] мВ on one row.
    QLayout* lambdaVoltages(QGridLayout* grid, int row) {
        QLineEdit* first = field(control::LAM1, 4);
        grid->addWidget(labelFor(first, control::LAM1), row, 3);
        QLineEdit* second = field(control::LAM2, 4);
        auto* pair = new QHBoxLayout;
        pair->addWidget(first, 1);
        pair->addWidget(unitOf(control::LAM1));
        pair->addWidget(labelFor(second, control::LAM2));
        pair->addWidget(second, 1);
        pair->addWidget(unitOf(control::LAM2));
        return pair;
    }

    // Over the live values while they are not the ECU's current ones.
    QLabel* staleNote() {
        form.staleNote = new QLabel(&host);
        form.staleNote->setObjectName(QStringLiteral("staleNote"));
        form.staleNote->setStyleSheet(QStringLiteral("color: #8a5a00; font-weight: bold;"));
        form.staleNote->hide();
        return form.staleNote;
    }

    template <std::size_t N>
    void addFlagColumn(QGridLayout* grid, int firstRow, int column, const ControlId (&ids)[N]) {
        int row = firstRow;
        for (const ControlId id : ids) {
            grid->addWidget(box(id), row++, column, 1, 3);
        }
    }

    QGroupBox* outputFrame() {
        auto* frame = new QGroupBox(groupTitle("Управление ИМ"), &host);
        auto* layout = new QVBoxLayout(frame);
        auto* groups = new QHBoxLayout;
        groups->addWidget(boxGroup("Форсунки", {control::injector1, control::injector2,
                                                control::injector3, control::injector4}));
        groups->addWidget(boxGroup("Зажигание", {control::coil14, control::coil23}));
        layout->addLayout(groups);
        auto* outputs = new QGridLayout;
        int n = 0;
        for (const ControlId id : outputBoxes) {
            outputs->addWidget(box(id), n / 2, n % 2);
            ++n;
        }
        layout->addLayout(outputs);
        layout->addLayout(regulatorRow(control::lambdaRegulator, control::lambdaAdaptationReset));
        layout->addLayout(regulatorRow(control::knockRegulator, control::knockAdaptationReset));
        auto* values = new QGridLayout;
        addLabelled(values, 0, 0, control::UOZOC);
        addLabelled(values, 1, 0, control::RCOK);
        layout->addLayout(values);
        layout->addStretch(1);
        layout->addWidget(heldNote());
        layout->addWidget(button(control::controlParameters));
        layout->addWidget(button(control::releaseControls));
        box(control::lambdaProbe)->hide();
        // "Выход", the dialog's OK button, stays hidden: the console closes from its caption.
        named(new QPushButton(groupTitle("Выход"), &host), 1)->hide();
        return frame;
    }

    // What the tester may still hold over the ECU, hidden while it holds nothing.
    QLabel* heldNote() {
        form.heldNote = new QLabel(&host);
        form.heldNote->setObjectName(QStringLiteral("heldNote"));
        form.heldNote->setWordWrap(true);
        form.heldNote->setStyleSheet(heldStyle());
        form.heldNote->hide();
        return form.heldNote;
    }

    QGroupBox* boxGroup(const char* title, std::initializer_list<ControlId> ids) {
        auto* group = new QGroupBox(groupTitle(title), &host);
        auto* row = new QHBoxLayout(group);
        for (const ControlId id : ids) {
            row->addWidget(box(id));
        }
        return group;
    }

    QLayout* regulatorRow(ControlId regulator, ControlId reset) {
        auto* row = new QHBoxLayout;
        row->addWidget(box(regulator), 1);
        // A small square button, as wide as its one letter needs.
        auto* resetButton = named(new QToolButton(&host), reset);
        resetButton->setText(controlCaption(reset));
        resetButton->setToolTip(groupTitle("Очистка таблицы адаптации"));
        row->addWidget(resetButton);
        return row;
    }

    ConsoleForm& form;
    QWidget& host;
};

ConsoleForm::ConsoleForm(QWidget& host) {
    ConsoleLayout(*this, host).build();
}

QString controlCaption(console::ControlId id) {
    return toQString(console::caption(id));
}

QString controlName(console::ControlId id) {
    return QStringLiteral("c") + QString::number(id);
}

}  // namespace ecuprobe::ui
