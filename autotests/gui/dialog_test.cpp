#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

#include "console/panel_controls.h"
#include "ecu/ecu_identity.h"
#include "gui_support.h"
#include "ui/acceleration_test_dialog.h"
#include "ui/control_parameter_dialog.h"
#include "ui/dynamic_test_dialog.h"
#include "ui/identification_dialog.h"
#include "ui/loss_test_dialog.h"
#include "ui/test_run_chart.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;

namespace {

// The text a person reads for a control: its own, or its label's.
QString shownCaption(QWidget& dialog, QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() == widget) {
            return label->text();
        }
    }
    return {};
}

bool startsWith(const Bytes& payload, const Bytes& head) {
    return payload.size() >= head.size() && std::equal(head.begin(), head.end(), payload.begin());
}

std::vector<Bytes> since(const std::vector<Bytes>& all, std::size_t first) {
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

}  // namespace

// The console's dialogs on the simulated car: their controls and captions, and
// the services they run on the link thread with the questions answered here.
class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        // The reports and sample files would go to the current folder.
        work = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(work->path());
        sim::SimulatedEcuOptions car;
        car.scenario = sim::Scenario::runup;
        line = std::make_unique<SimulatedLine>(SimulatedLine::Time::virtualTime, car);
        console = new ui::TesterWindow(fastConsole(*line), nullptr);
        console->setAttribute(Qt::WA_DeleteOnClose);
        console->show();
        log = std::make_unique<ReportLog>(console->link());
    }

    void cleanup() {
        if (console) {
            console->close();
            QVERIFY(waitFor([this] { return console.isNull(); }));
        }
        log.reset();
        line.reset();
        QDir::setCurrent(QDir::tempPath());
        work.reset();
    }

    void dialogsHoldEveryControlWithItsCaption_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char* dialog, const char* name, const char* caption) {
            QTest::addRow("%s %s", dialog, name)
                << QString::fromUtf8(dialog) << QString::fromUtf8(name)
                << QString::fromUtf8(caption);
        };
        row("identification", "c1107", "Блок Управления (ЭБУ):");
        row("identification", "c1113", "Паспорт программы ЭБУ:");
        row("identification", "c1112", "Паспорт данных ЭБУ:");
        row("identification", "c1108", "Модификация ЭБУ:");
        row("identification", "c1114", "Серийный номер ЭБУ:");
        row("identification", "c1115", "Дата выпуска ЭБУ:");
        row("identification", "c1116", "Калибровки ADC в ЭБУ:");
        row("identification", "c1109", "Номер двигателя:");
        row("identification", "c1110", "Номер кузова:");
        row("identification", "c1111", "Дата выпуска автомобиля:");
        row("identification", "c1138", "Комплектация");
        row("identification", "c1", "Выход");
        row("parameters", "c1072", "Рег.ХХ(РДВ):");
        row("parameters", "c1073", "");
        row("parameters", "c1075", "Обороты ХХ:");
        row("parameters", "c1139", "Поправка УОЗ:");
        row("parameters", "c1140", "Коррекция CO по смещ. (RCOD):");
        row("parameters", "c1141", "Коэф. коррекции CO (RCOK):");
        row("parameters", "c1142", "Степень рецирк.отраб.газов(JEGR):");
        row("parameters", "c1143", "Степень продувки адсорбера (JADS):");
        row("parameters", "c1", "Ввод");
        row("parameters", "c2", "Отмена");
        row("dynamic", "c1083", "Начать на оборотах:");
        row("dynamic", "c1084", "Закончить на оборотах:");
        row("dynamic", "c1085", "На ходу");
        row("dynamic", "c1086", "1");
        row("dynamic", "c1089", "4");
        row("dynamic", "c1090", "Сохранить");
        row("dynamic", "c1091", "Время разгона(сек.):");
        row("dynamic", "c1092", "Обороты:");
        row("dynamic", "c1093", "Скорость:");
        row("dynamic", "c1098", "л./час:");
        row("dynamic", "c1103", "л./100км:");
        row("dynamic", "c1099", "воздуха:");
        for (const char* result :
             {"c1094", "c1095", "c1096", "c1097", "c1100", "c1101", "c1102", "c1105"}) {
            row("dynamic", result, nullptr);
        }
        row("dynamic", "start", "Старт");
        row("dynamic", "exit", "Выход");
        row("acceleration", "c1134", "Начать на км./ч.:");
        row("acceleration", "c1135", "Закончить на км./ч.:");
        row("acceleration", "c1122", "1");
        row("acceleration", "c1125", "4");
        row("acceleration", "c1126", "Сохранить");
        row("acceleration", "c1127", "Время выбега(сек.):");
        row("acceleration", "c1128", "Обороты:");
        row("acceleration", "c1131", "Скорость:");
        for (const char* result : {"c1129", "c1130", "c1132", "c1133"}) {
            row("acceleration", result, nullptr);
        }
        row("acceleration", "c1109", "Начать");
        row("loss", "c1083", "Обороты двиг. с:");
        row("loss", "c1084", "до:");
        row("loss", "c1119", "Сохранить");
        row("loss", "c1112", "Выбег:");
        row("loss", "c1010", "Изменение темп. ОЖ:");
        row("loss", "c1092", "Обороты двиг.(об/мин.):");
        row("loss", "c1011", "Ускорение оборотов двиг:");
        row("loss", "c1012", "Ускорение автомобиля:");
        row("loss", "c1094", nullptr);
        row("loss", "c1114", "Старт");
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

    void dialogsHaveTheirTitles() {
        const std::pair<const char*, QString> titles[] = {
            {"identification", QStringLiteral("Dialog")},
            {"parameters", QStringLiteral("Установка упр. параметров")},
            {"dynamic", QStringLiteral("Тест динамических качеств")},
            {"acceleration", QStringLiteral("Тест ускорения автомобиля")},
            {"loss", QStringLiteral("Тест механических потерь")},
        };
        for (const auto& [dialog, title] : titles) {
            QCOMPARE(std::unique_ptr<QDialog>(make(QString::fromUtf8(dialog)))->windowTitle(),
                     title);
        }
        const std::unique_ptr<QDialog> loss(make(QStringLiteral("loss")));
        QCOMPARE(loss->findChild<QLabel*>(QStringLiteral("instructions"))->text(),
                 QStringLiteral("1. Педалью газа наберите обороты > 5000 об./мин.\n"
                                "2. Нажмите кнопку \"Старт\".\n"
                                "3. Резко отпустите педаль газа.\n"
                                "Перед началом теста убедитесь что ЭБУ умеет отключать "
                                "топливоподачу (INJ=0) при сбросе газа."));
    }

    void testDialogsOpenWithTheirFirstValues_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("save");
        QTest::addColumn<bool>("saveTicked");
        QTest::addColumn<QString>("gear");
        QTest::addColumn<bool>("gearsUsable");
        QTest::addColumn<QString>("time");
        QTest::newRow("dynamic") << "dynamic" << QStringList{"c1083=2000", "c1084=5500"} << "c1090"
                                 << true << "c1086" << false << "c1091";
        QTest::newRow("acceleration") << "acceleration" << QStringList{"c1134=20", "c1135=80"}
                                      << "c1126" << true << "c1122" << true << "c1127";
        QTest::newRow("loss") << "loss" << QStringList{"c1083=5000", "c1084=2000"} << "c1119"
                              << false << QString() << false << "c1112";
    }
    void testDialogsOpenWithTheirFirstValues() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, inputs);
        QFETCH(QString, save);
        QFETCH(bool, saveTicked);
        QFETCH(QString, gear);
        QFETCH(bool, gearsUsable);
        QFETCH(QString, time);
        const std::unique_ptr<QDialog> shown(make(dialog));
        for (const QString& input : inputs) {
            const QStringList nameAndValue = input.split(u'=');
            QCOMPARE(shown->findChild<QLineEdit*>(nameAndValue[0])->text(), nameAndValue[1]);
        }
        QCOMPARE(shown->findChild<QCheckBox*>(save)->isChecked(), saveTicked);
        QCOMPARE(shown->findChild<QLineEdit*>(time)->text(), QStringLiteral("0"));
        if (!gear.isEmpty()) {
            auto* first = shown->findChild<QAbstractButton*>(gear);
            QCOMPARE(first->isEnabled(), gearsUsable);
            QVERIFY(!first->isChecked());
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

    void identificationShowsTheSimulatedPassports() {
        startConnected();
        press(*console, control::identify);
        auto* dialog = waitForWindow<ui::IdentificationDialog>();
        QVERIFY(dialog != nullptr);
        const auto text = [dialog](const char* name) {
            QWidget* field = dialog->findChild<QWidget*>(QLatin1String(name));
            if (auto* single = qobject_cast<QLineEdit*>(field)) {
                return single->text();
            }
            return qobject_cast<QPlainTextEdit*>(field)->toPlainText();
        };
        QCOMPARE(text("c1107"), QStringLiteral("Микас 5.4"));
        QCOMPARE(text("c1113"),
                 QStringLiteral("МИКАС 5.4 ЗМЗ406\nПрогр. М54-1.12\nЕвро-2, 4 цил.\n"));
        QCOMPARE(text("c1112"), QStringLiteral("Калибровки ГАЗ\nГАЗ-3110 Волга\nДМРВ, 2 "
                                               "катушки\nБензин АИ-92\nРедакция 04.01\n"));
        QCOMPARE(text("c1114"), QStringLiteral("Зав.№ 0104527"));
        QCOMPARE(text("c1110"), QStringLiteral("ХТН311000Y012345"));
        QCOMPARE(text("c1111"), QStringLiteral("05.04.2001"));
        const QString equipment = text("c1138");
        QVERIFY2(equipment.startsWith(QStringLiteral("постоянное питание блока, \nL-зонд, \n")),
                 qPrintable(equipment));
        QVERIFY2(equipment.endsWith(QStringLiteral("\nкондиционер , \nвентилятор, ")),
                 qPrintable(equipment));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
        QVERIFY(waitFor([] { return waitForWindow<ui::IdentificationDialog>(0) == nullptr; }));
    }

    void changedRcodIsSetButNotStoredWhenTheQuestionIsAnsweredNo() {
        startConnected();
        press(*console, control::controlParameters);
        auto* dialog = waitForWindow<ui::ControlParameterDialog>();
        QVERIFY(dialog != nullptr);
        const std::size_t before = line->payloads().size();
        field(dialog, "c1140")->setText(QStringLiteral("-0.25"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
        auto* question = waitForWindow<QMessageBox>();
        QVERIFY(question != nullptr);
        QCOMPARE(question->windowTitle(), QStringLiteral("Сохранение в долговременную память."));
        QCOMPARE(question->text(), QStringLiteral("Сохранить в долговременную память Коэффициент "
                                                  "коррекции СО на холостом ходу(RCOD)?"));
        const int ticks = log->ticks();
        QVERIFY(waitFor([&] { return log->ticks() >= ticks + 2; }));
        question->button(QMessageBox::No)->click();
        QVERIFY(waitFor([] { return waitForWindow<ui::ControlParameterDialog>(0) == nullptr; }));
        const std::vector<Bytes> sent = since(line->payloads(), before);
        QCOMPARE(std::count_if(sent.begin(), sent.end(),
                               [](const Bytes& p) { return startsWith(p, {0x62}); }),
                 1);
        QVERIFY(std::find(sent.begin(), sent.end(), Bytes{0x62, 0x0C, 0x08, 0x41, 0x40}) !=
                sent.end());
        QVERIFY(std::find(sent.begin(), sent.end(), Bytes{0x61, 0x41}) != sent.end());
        QVERIFY(waitFor([this] { return console->form().control(1078)->isEnabled(); }));
    }

    void jegrAbove100IsRefusedWithTheFocusOnItsField() {
        startConnected();
        press(*console, control::controlParameters);
        auto* dialog = waitForWindow<ui::ControlParameterDialog>();
        QVERIFY(dialog != nullptr);
        const std::size_t before = line->payloads().size();
        field(dialog, "c1142")->setText(QStringLiteral("150"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("Please enter an integer between 0 and 100."));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), field(dialog, "c1142"));
        const std::vector<Bytes> sent = since(line->payloads(), before);
        QVERIFY(std::none_of(sent.begin(), sent.end(),
                             [](const Bytes& p) { return startsWith(p, {0x62}); }));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c2"))->click();
    }

    void runUpIsMeasuredAndShownWhileSaveAsIsCancelled() {
        startConnected();
        ui::DynamicTestDialog* dialog = openDynamicTest();
        QVERIFY(dialog != nullptr);
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        auto* saveAs = waitForWindow<QFileDialog>(30000);
        QVERIFY(saveAs != nullptr);
        QCOMPARE(saveAs->parentWidget(), dialog);
        saveAs->reject();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY2(progressText(dialog).startsWith(QStringLiteral("Тест выполнен")),
                 qPrintable(progressText(dialog)));
        QVERIFY(field(dialog, "c1091")->text().toDouble() > 0.3);
        QVERIFY(field(dialog, "c1092")->text().toInt() >= 2000);
        QVERIFY(field(dialog, "c1094")->text().toInt() >= 5500);
        const ui::RunCurve& curve = dialog->chart()->shownRun();
        QVERIFY(curve.points.size() >= 5);
        QVERIFY(curve.startSeconds && curve.endSeconds && *curve.endSeconds > 0.3);
        QCOMPARE(curve.endLevel, 5500.0);
        QCOMPARE(QDir(work->path()).entryList(QDir::Files), QStringList{});
    }

    void runStoppedWithStopEndsQuietlyAndThePollGoesOn() {
        startConnected();
        // An idling engine never reaches the start level: only "Стоп" ends the run.
        line->ecu().setScenario(sim::Scenario::idle);
        ui::DynamicTestDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        QVERIFY(dialog->findChild<QAbstractButton*>(QStringLiteral("exit"))->isEnabled() == false);
        dialog->findChild<QAbstractButton*>(QStringLiteral("stop"))->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QCOMPARE(progressText(dialog), QStringLiteral("Тест остановлен."));
        QCOMPARE(waitForWindow<QMessageBox>(200), nullptr);
        QCOMPARE(field(dialog, "c1091")->text(), QStringLiteral("0"));
        QVERIFY(dialog->chart()->shownRun().points.empty());
        const int ticks = log->ticks();
        QVERIFY(
            waitFor([&] { return log->ticks() >= ticks + 2 && log->last().status.ecuAnswering; }));
        QCOMPARE(QDir(work->path()).entryList(QDir::Files), QStringList{});
    }

    void refusedLevelsAreToldOverTheTestDialog() {
        startConnected();
        ui::DynamicTestDialog* dialog = openDynamicTest();
        QVERIFY(dialog != nullptr);
        field(dialog, "c1084")->setText(QStringLiteral("6001"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->parentWidget(), dialog);
        QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка задания параметров"));
        QCOMPARE(box->text(), QStringLiteral("Конечные обороты должны быть менее 6000."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QCOMPARE(progressText(dialog), QStringLiteral("Тест не начат: параметры не приняты."));
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
        if (dialog == "dynamic") {
            return new ui::DynamicTestDialog(console->link(), console);
        }
        if (dialog == "acceleration") {
            return new ui::AccelerationTestDialog(console->link(), console);
        }
        return new ui::LossTestDialog(console->link(), console);
    }

    void startConnected() {
        press(*console, control::start);
        QVERIFY(waitFor([this] { return !log->empty() && log->last().status.ecuAnswering; }));
    }

    ui::DynamicTestDialog* openDynamicTest() {
        press(*console, control::dynamicTest);
        return waitForWindow<ui::DynamicTestDialog>();
    }

    static QLineEdit* field(QWidget* dialog, const char* name) {
        return dialog->findChild<QLineEdit*>(QLatin1String(name));
    }

    static QString progressText(QWidget* dialog) {
        return dialog->findChild<QLabel*>(QStringLiteral("progressText"))->text();
    }

    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<SimulatedLine> line;
    QPointer<ui::TesterWindow> console;
    std::unique_ptr<ReportLog> log;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::DialogTest)
#include "dialog_test.moc"
