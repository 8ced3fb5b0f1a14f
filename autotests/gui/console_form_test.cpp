#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/console_form.h"
#include "ui/up_down_control.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;
using console::ControlId;

namespace {

// The console's controls that carry a caption, on them or beside them.
constexpr ControlId captioned[] = {
    3,    1005, 1008, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1029,
    1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1042, 1043, 1044, 1045, 1046,
    1047, 1051, 1052, 1053, 1064, 1065, 1066, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074,
    1076, 1077, 1078, 1082, 1083, 1084, 1085, 1093, 1109, 1110, 1136, 1140, 1141, 1142,
};

}  // namespace

class ConsoleFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        host = std::make_unique<QDialog>();
        form = std::make_unique<ui::ConsoleForm>(*host);
    }

    void holdsEveryControlWithItsCaption_data() {
        QTest::addColumn<int>("id");
        for (const ControlId id : captioned) {
            QTest::newRow(qPrintable(ui::controlName(id))) << id;
        }
    }
    void holdsEveryControlWithItsCaption() {
        QFETCH(int, id);
        QWidget* widget = host->findChild<QWidget*>(ui::controlName(id));
        QVERIFY(widget != nullptr);
        const QString caption = ui::controlCaption(id);
        QVERIFY(!caption.isEmpty());
        QCOMPARE(shownCaption(*host, widget), caption);
    }

    void holdsTheControlsWithoutCaptions() {
        for (const ControlId id : {control::statusText, control::faultText, control::faultCount,
                                   control::period, control::periodUpDown, control::comPort}) {
            QVERIFY2(host->findChild<QWidget*>(ui::controlName(id)) != nullptr,
                     qPrintable(ui::controlName(id)));
        }
        auto* com = host->findChild<QComboBox*>(ui::controlName(control::comPort));
        QCOMPARE(com->count(), 4);
        QCOMPARE(com->itemText(3), QStringLiteral("COM4"));
    }

    void everyEditBoxIsReadOnly() {
        for (QLineEdit* edit : host->findChildren<QLineEdit*>()) {
            if (edit->objectName().startsWith(u'c')) {
                QVERIFY2(edit->isReadOnly(), qPrintable(edit->objectName()));
            }
        }
        QVERIFY(
            host->findChild<QPlainTextEdit*>(ui::controlName(control::faultText))->isReadOnly());
    }

    void probeOptionAndExitStayHidden() {
        QVERIFY(form->control(control::lambdaProbe)->isHidden());
        QVERIFY(form->control(1)->isHidden());
        QCOMPARE(qobject_cast<QAbstractButton*>(form->control(1))->text(), QStringLiteral("Выход"));
    }

    void snapshotSetsTextsMarksAndEnabledControls() {
        console::PanelSnapshot snapshot;
        snapshot.texts = {{control::statusText, "ЭБУ Микас 5.4. "},
                          {control::faultText, " 013:20, 131:60,"},
                          {control::UOZ, "-5"},
                          {control::period, "1"}};
        snapshot.checked = {{control::injector1, false},
                            {control::injector2, true},
                            {control::RXX, true},
                            {control::fan, true}};
        snapshot.enabled = {control::clearFaults, control::injector1, control::command,
                            control::RXX, control::releaseControls};
        snapshot.comSelection = 2;
        snapshot.periodUpDown = 1;
        form->show(snapshot);
        QCOMPARE(lineText(control::statusText), QStringLiteral("ЭБУ Микас 5.4. "));
        QCOMPARE(lineText(control::UOZ), QStringLiteral("-5"));
        QCOMPARE(lineText(control::period), QStringLiteral("1"));
        QCOMPARE(
            host->findChild<QPlainTextEdit*>(ui::controlName(control::faultText))->toPlainText(),
            QStringLiteral(" 013:20, 131:60,"));
        QVERIFY(!box(control::injector1)->isChecked());
        QVERIFY(box(control::injector2)->isChecked());
        QVERIFY(box(control::RXX)->isChecked());
        QVERIFY(box(control::fan)->isChecked());
        QVERIFY(!box(control::coil14)->isChecked());
        QVERIFY(form->control(control::clearFaults)->isEnabled());
        QVERIFY(form->control(control::injector1)->isEnabled());
        QVERIFY(form->control(control::releaseControls)->isEnabled());
        QVERIFY(!form->control(control::injector2)->isEnabled());
        QVERIFY(!form->control(control::start)->isEnabled());
        // Never enabled, whatever the snapshot says.
        QVERIFY(!form->control(control::command)->isEnabled());
        QVERIFY(!form->control(control::RXX)->isEnabled());
        // Read-only boxes stay enabled so that their text reads normally.
        QVERIFY(form->control(control::UOZ)->isEnabled());
        QCOMPARE(form->comBox->currentIndex(), 2);
        QCOMPARE(form->upDown->position(), 1);
    }

    void aLaterSnapshotTakesBackWhatAnEarlierGave() {
        console::PanelSnapshot first;
        first.enabled = {control::injector3, control::start};
        first.checked = {{control::injector3, true}};
        first.comSelection = 0;
        form->show(first);
        form->show(console::PanelSnapshot{});
        QVERIFY(!form->control(control::injector3)->isEnabled());
        QVERIFY(!box(control::injector3)->isChecked());
        QCOMPARE(form->comBox->currentIndex(), -1);
    }

    void disablingInputLeavesNothingToClick() {
        console::PanelSnapshot snapshot;
        snapshot.enabled = {control::start, control::comPort, control::injector1};
        form->show(snapshot);
        form->disableInput();
        for (const auto& [id, widget] : form->controls()) {
            const bool clickable =
                qobject_cast<QAbstractButton*>(widget) != nullptr || widget == form->comBox;
            if (clickable && !widget->isHidden()) {
                QVERIFY2(!widget->isEnabled(), qPrintable(widget->objectName()));
            }
        }
        QVERIFY(!form->chartButton->isEnabled());
    }

    void layoutGrowsWithTheFontAndClipsNoCaption() {
        QDialog large;
        QFont font = host->font();
        font.setPointSizeF(font.pointSizeF() * 1.6);
        large.setFont(font);
        const ui::ConsoleForm largeForm(large);
        QVERIFY(large.sizeHint().width() > host->sizeHint().width());
        QVERIFY(large.sizeHint().height() > host->sizeHint().height());
        large.resize(large.sizeHint());
        large.show();
        QVERIFY(QTest::qWaitForWindowExposed(&large));
        for (QWidget* widget : large.findChildren<QWidget*>()) {
            const bool captioned = qobject_cast<QLabel*>(widget) != nullptr ||
                                   qobject_cast<QAbstractButton*>(widget) != nullptr;
            if (captioned && widget->isVisible()) {
                QVERIFY2(widget->width() >= widget->minimumSizeHint().width(),
                         qPrintable(widget->objectName() + widget->property("text").toString()));
            }
        }
    }

    void liveValuesShowTheirUnitsAndThePeriodItsName() {
        const std::pair<ControlId, const char*> units[] = {
            {control::TWAT, "°C"}, {control::FREQ, "об/мин"}, {control::SPD, "км/ч"},
            {control::NUACC, "В"}, {control::INJ, "мс"},      {control::JAIR, "кг/ч"},
            {control::JQT, "л/ч"}, {control::LAM2, "мВ"},     {control::UOZOC, "°"},
            {control::VALF, ""},
        };
        for (const auto& [id, unit] : units) {
            auto* label = host->findChild<QLabel*>(ui::controlName(id) + QStringLiteral("Unit"));
            QVERIFY2(label != nullptr, qPrintable(ui::controlName(id)));
            QCOMPARE(label->text(), QString::fromUtf8(unit));
        }
        QCOMPARE(shownCaption(*host, form->control(control::period)),
                 QStringLiteral("Период опроса:"));
    }

    void upDownStepsWithinItsRangeOnly() {
        ui::UpDownControl upDown(0, 4, nullptr);
        QList<int> steps;
        connect(&upDown, &ui::UpDownControl::stepped, this, [&steps](int at) { steps.append(at); });
        auto* up = upDown.findChild<QAbstractButton*>(QStringLiteral("up"));
        auto* down = upDown.findChild<QAbstractButton*>(QStringLiteral("down"));
        upDown.setPosition(3);
        up->click();
        up->click();
        down->click();
        upDown.setPosition(-7);
        down->click();
        QCOMPARE(steps, (QList<int>{4, 3}));
        QCOMPARE(upDown.position(), 0);
    }

private:
    QString lineText(ControlId id) const {
        return host->findChild<QLineEdit*>(ui::controlName(id))->text();
    }
    QCheckBox* box(ControlId id) const { return qobject_cast<QCheckBox*>(form->control(id)); }

    std::unique_ptr<QDialog> host;
    std::unique_ptr<ui::ConsoleForm> form;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ConsoleFormTest)
#include "console_form_test.moc"
