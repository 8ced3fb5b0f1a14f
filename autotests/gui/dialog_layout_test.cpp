#include <QAbstractButton>
#include <QCheckBox>
#include <QPointer>
#include <QTest>

#include <memory>

#include "ecu/ecu_identity.h"
#include "gui_support.h"
#include "ui/control_parameter_dialog.h"
#include "ui/identification_dialog.h"
#include "ui/measured_dialog.h"

namespace ecuprobe::gui_testing {

namespace {

struct ShownControl {
    const char* dialog;
    const char* name;
    const char* caption;  // null: the control only has to be there
};

// Every control of the dialogs by its name, with the caption a person reads on
// it or beside it; none for the result fields that have no caption of their own.
constexpr ShownControl controls[] = {
    {"identification", "c1107", "Блок Управления (ЭБУ):"},
    {"identification", "c1113", "Паспорт программы ЭБУ:"},
    {"identification", "c1112", "Паспорт данных ЭБУ:"},
    {"identification", "c1108", "Модификация ЭБУ:"},
    {"identification", "c1114", "Серийный номер ЭБУ:"},
    {"identification", "c1115", "Дата выпуска ЭБУ:"},
    {"identification", "c1116", "Калибровки ADC в ЭБУ:"},
    {"identification", "c1109", "Номер двигателя:"},
    {"identification", "c1110", "Номер кузова:"},
    {"identification", "c1111", "Дата выпуска автомобиля:"},
    {"identification", "c1138", "Комплектация"},
    {"identification", "c1", "Выход"},
    {"parameters", "c1072", "Рег.ХХ(РДВ):"},
    {"parameters", "c1073", nullptr},
    {"parameters", "c1075", "Обороты ХХ:"},
    {"parameters", "c1139", "Поправка УОЗ:"},
    {"parameters", "c1140", "Коррекция CO по смещ. (RCOD):"},
    {"parameters", "c1141", "Коэф. коррекции CO (RCOK):"},
    {"parameters", "c1142", "Степень рецирк.отраб.газов(JEGR):"},
    {"parameters", "c1143", "Степень продувки адсорбера (JADS):"},
    {"parameters", "c1", "Ввод"},
    {"parameters", "c2", "Отмена"},
    {"dynamic", "c1083", "Начать на оборотах:"},
    {"dynamic", "c1084", "Закончить на оборотах:"},
    {"dynamic", "c1085", "На ходу"},
    {"dynamic", "c1086", "1"},
    {"dynamic", "c1089", "4"},
    {"dynamic", "c1090", "Сохранить"},
    {"dynamic", "c1091", "Время разгона(сек.):"},
    {"dynamic", "c1092", "Обороты:"},
    {"dynamic", "c1093", "Скорость:"},
    {"dynamic", "c1098", "л./час:"},
    {"dynamic", "c1103", "л./100км:"},
    {"dynamic", "c1099", "воздуха:"},
    {"dynamic", "start", "Старт"},
    {"dynamic", "exit", "Выход"},
    {"acceleration", "c1134", "Начать на км./ч.:"},
    {"acceleration", "c1135", "Закончить на км./ч.:"},
    {"acceleration", "c1122", "1"},
    {"acceleration", "c1125", "4"},
    {"acceleration", "c1126", "Сохранить"},
    {"acceleration", "c1127", "Время выбега(сек.):"},
    {"acceleration", "c1128", "Обороты:"},
    {"acceleration", "c1131", "Скорость:"},
    {"acceleration", "c1129", nullptr},
    {"acceleration", "c1130", nullptr},
    {"acceleration", "c1132", nullptr},
    {"acceleration", "c1133", nullptr},
    {"acceleration", "c1109", "Начать"},
    {"loss", "c1083", "Обороты двиг. с:"},
    {"loss", "c1084", "до:"},
    {"loss", "c1119", "Сохранить"},
    {"loss", "c1112", "Выбег:"},
    {"loss", "c1010", "Изменение темп. ОЖ:"},
    {"loss", "c1092", "Обороты двиг.(об/мин.):"},
    {"loss", "c1011", "Ускорение оборотов двиг:"},
    {"loss", "c1012", "Ускорение автомобиля:"},
    {"loss", "c1094", nullptr},
    {"loss", "c1114", "Старт"},
};

}  // namespace

// The console's dialogs as they open: their controls by identifier with their
// captions, and the gear rule of the dynamic test. Nothing is sent; the console
// is not started.
class DialogLayoutTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() { openAlone(); }

    void cleanup() { QVERIFY(closeAll()); }

    void dialogsHoldEveryControlWithItsCaption_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        for (const ShownControl& control : controls) {
            QTest::addRow("%s %s", control.dialog, control.name)
                << QString::fromUtf8(control.dialog) << QString::fromUtf8(control.name)
                << QString::fromUtf8(control.caption);
        }
    }
    void dialogsHoldEveryControlWithItsCaption() {
        QFETCH(QString, dialog);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        const std::unique_ptr<QDialog> shown(make(dialog));
        QWidget* widget = shown->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        if (!caption.isNull()) {
            QCOMPARE(shownCaption(*shown, widget), caption);
        }
    }

    void onTheMoveChoosesGearTwoAndStays() {
        const std::unique_ptr<QDialog> shown(make(QStringLiteral("dynamic")));
        auto* onTheMove = shown->findChild<QCheckBox*>(QStringLiteral("c1085"));
        onTheMove->click();
        QVERIFY(onTheMove->isChecked());
        QVERIFY(!onTheMove->isEnabled());
        for (const int id : {1086, 1087, 1088, 1089}) {
            auto* gear = shown->findChild<QAbstractButton*>(QStringLiteral("c%1").arg(id));
            QVERIFY(gear->isEnabled());
            QCOMPARE(gear->isChecked(), id == 1087);
        }
    }

    // A 1366x768 laptop screen, less a title bar and a taskbar.
    void everyDialogFitsALaptopScreen_data() {
        QTest::addColumn<QString>("dialog");
        for (const char* dialog :
             {"identification", "parameters", "dynamic", "acceleration", "loss", "console"}) {
            QTest::newRow(dialog) << QString::fromLatin1(dialog);
        }
    }
    void everyDialogFitsALaptopScreen() {
        QFETCH(QString, dialog);
        std::unique_ptr<QDialog> made;
        QDialog* shown = console;
        if (dialog != "console") {
            made.reset(make(dialog));
            shown = made.get();
        }
        shown->show();
        shown->adjustSize();
        const QSize size = shown->size();
        QVERIFY2(size.width() <= 1300 && size.height() <= 700,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    }

private:
    QDialog* make(const QString& dialog) {
        if (dialog == "identification") {
            return new ui::IdentificationDialog(
                console::identificationContent(ecu::EcuIdentity{}, {}), console);
        }
        if (dialog == "parameters") {
            return new ui::ControlParameterDialog(console::ControlParameterForm(ecu::LiveData{}),
                                                  console->link(), console);
        }
        const console::DialogKind kind = dialog == "dynamic" ? console::DialogKind::dynamicTest
                                         : dialog == "acceleration"
                                             ? console::DialogKind::accelerationTest
                                             : console::DialogKind::lossTest;
        return new ui::MeasuredDialog(kind, console->link(), console);
    }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::DialogLayoutTest)
#include "dialog_layout_test.moc"
