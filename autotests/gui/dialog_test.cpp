#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/comment_dialog.h"
#include "ui/control_parameter_dialog.h"
#include "ui/identification_dialog.h"
#include "ui/measured_dialog.h"
#include "ui/run_chart.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;

namespace {

bool startsWith(const Bytes& payload, const Bytes& head) {
    return payload.size() >= head.size() && std::equal(head.begin(), head.end(), payload.begin());
}

std::vector<Bytes> since(const std::vector<Bytes>& all, std::size_t first) {
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

}  // namespace

// The console's dialogs on the simulated car, connected: the services they run
// on the link thread, with the questions answered here as a person would.
class DialogTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        // The reports and sample files would go to the current folder.
        work = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(work->path());
        sim::SimulatedEcuOptions car;
        car.scenario = sim::Scenario::runup;
        openAlone(SimulatedLine::Time::virtualTime, car);
        QVERIFY(startConnected(*console, *log));
    }

    void cleanup() {
        QVERIFY(closeAll());
        QDir::setCurrent(QDir::tempPath());
        work.reset();
    }

    // The reads take a while: the console shows it is busy until they are done.
    void identificationShowsTheSimulatedPassports() {
        QWidget* identify = console->form().control(control::identify);
        QStatusBar* status = console->form().statusBar;
        press(*console, control::identify);
        QCOMPARE(console->cursor().shape(), Qt::BusyCursor);
        QCOMPARE(status->currentMessage(), QStringLiteral("Чтение идентификации ЭБУ..."));
        QVERIFY(!identify->isEnabled());
        QVERIFY(!console->form().control(control::saveDump)->isEnabled());
        auto* dialog = waitForWindow<ui::IdentificationDialog>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(console->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(status->currentMessage(), QString());
        QVERIFY(identify->isEnabled());
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
        const std::size_t before = line->payloads().size();
        QVERIFY(enterParameter("c1140", QStringLiteral("-0.25")) != nullptr);
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
        QVERIFY(std::find(sent.begin(), sent.end(), Bytes{0x62, 0x0C, 0x08, 0x41, 0xC0}) !=
                sent.end());
        QVERIFY(std::find(sent.begin(), sent.end(), Bytes{0x61, 0x41}) != sent.end());
        QVERIFY(waitFor([this] { return console->form().control(1078)->isEnabled(); }));
    }

    void aValueOutOfRangeIsRefusedWithTheFocusOnItsField_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("JEGR 150") << QStringLiteral("c1142") << QStringLiteral("150")
                                  << QStringLiteral("Please enter an integer between 0 and 100.");
        QTest::newRow("RCOD above 0")
            << QStringLiteral("c1140") << QStringLiteral("0.1")
            << QStringLiteral("Please enter a number between -0.3 and 0.");
        QTest::newRow("RCOK below -0.5")
            << QStringLiteral("c1141") << QStringLiteral("-0.6")
            << QStringLiteral("Please enter a number between -0.5 and 0.");
    }
    void aValueOutOfRangeIsRefusedWithTheFocusOnItsField() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const std::size_t before = line->payloads().size();
        ui::ControlParameterDialog* dialog = enterParameter(name.toUtf8().constData(), value);
        QVERIFY(dialog != nullptr);
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), message);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), field(dialog, name.toUtf8().constData()));
        const std::vector<Bytes> sent = since(line->payloads(), before);
        QVERIFY(std::none_of(sent.begin(), sent.end(),
                             [](const Bytes& p) { return startsWith(p, {0x62}); }));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c2"))->click();
    }

    void runUpIsMeasuredAndShownWhileSaveAsIsCancelled() {
        ui::MeasuredDialog* dialog = openDynamicTest();
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
        const console::RunCurve& curve = dialog->chart()->shownRun();
        QVERIFY(curve.points.size() >= 5);
        QVERIFY(curve.startSeconds && curve.endSeconds && *curve.endSeconds > 0.3);
        QCOMPARE(curve.endLevel, 5500.0);
        QCOMPARE(QDir(work->path()).entryList(QDir::Files), QStringList{});
    }

    void runStoppedWithStopEndsQuietlyAndThePollGoesOn() {
        // An idling engine never reaches the start level: only "Стоп" ends the run.
        line->ecu().setScenario(sim::Scenario::idle);
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
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

    // The first run's figures go as the second starts; stopped, it shows none of them.
    void aNewRunClearsTheLastResultsAndAStoppedOneShowsNone() {
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        auto* start = dialog->findChild<QAbstractButton*>(QStringLiteral("start"));
        start->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY(field(dialog, "c1092")->text().toInt() >= 2000);
        QVERIFY(!dialog->chart()->shownRun().points.empty());
        line->ecu().setScenario(sim::Scenario::idle);
        start->click();
        QVERIFY(dialog->isRunning());
        QCOMPARE(field(dialog, "c1091")->text(), QStringLiteral("0"));
        QCOMPARE(field(dialog, "c1092")->text(), QStringLiteral("0"));
        QVERIFY(dialog->chart()->shownRun().points.empty());
        dialog->findChild<QAbstractButton*>(QStringLiteral("stop"))->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QCOMPARE(progressText(dialog), QStringLiteral("Тест остановлен."));
        QCOMPARE(field(dialog, "c1094")->text(), QStringLiteral("0"));
        QCOMPARE(dialog->chart()->chart()->title(), QStringLiteral("Тест ещё не проводился"));
    }

    // Neither the progress line nor the results move or resize the dialog.
    void theTestDialogKeepsItsPlaceAndSizeThroughARun() {
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        const QRect before = dialog->geometry();
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY(!dialog->chart()->shownRun().points.empty());
        QApplication::processEvents();
        QCOMPARE(dialog->geometry(), before);
    }

    void driveLogShowsItselfPausedWhileATestRuns() {
        console->form().driveLogButton->click();
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        chooseFile(saveAs, work->filePath(QStringLiteral("drive.msl")));
        QLabel* state = console->form().driveLogState;
        QVERIFY(waitFor([state] { return state->text().startsWith(QStringLiteral("Лог: ")); }));
        line->ecu().setScenario(sim::Scenario::idle);
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        QVERIFY2(state->text().startsWith(QStringLiteral("Лог на паузе (идёт тест): drive.msl")),
                 qPrintable(state->text()));
        dialog->findChild<QAbstractButton*>(QStringLiteral("stop"))->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY(waitFor([state] { return state->text().startsWith(QStringLiteral("Лог: ")); }));
    }

    void closingDuringARunAsksWhetherToStopIt() {
        line->ecu().setScenario(sim::Scenario::idle);
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        QVERIFY(dialog->isRunning());
        dialog->close();
        auto* question = waitForWindow<QMessageBox>();
        QVERIFY(question != nullptr);
        QCOMPARE(question->text(), QStringLiteral("Тест ещё идёт. Остановить его и закрыть окно?"));
        question->button(QMessageBox::No)->click();
        // Not waited on: the idling engine would let the run time out on the fake clock.
        QApplication::processEvents();
        QVERIFY(dialog->isRunning());
        QVERIFY(dialog->isVisible());
        QPointer<ui::MeasuredDialog> kept(dialog);
        dialog->reject();  // Esc asks the same
        question = waitForWindow<QMessageBox>();
        QVERIFY(question != nullptr);
        question->button(QMessageBox::Yes)->click();
        // Where the run reached its sample limit first (a slow machine, Wine), its
        // end is told in a box of its own; answered, the dialog closes all the same.
        QVERIFY(waitFor([&] {
            for (QMessageBox* told :
                 kept ? kept->findChildren<QMessageBox*>() : QList<QMessageBox*>{}) {
                if (told->isVisible()) {
                    told->accept();
                }
            }
            return kept.isNull() || !kept->isVisible();
        }));
        QVERIFY(kept.isNull() || !kept->isRunning());
        QCOMPARE(waitForWindow<QMessageBox>(200), nullptr);
    }

    void refusedLevelsAreToldOverTheTestDialog() {
        ui::MeasuredDialog* dialog = openDynamicTest();
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

    void stateReportIsAnnouncedOnlyOnceWritten() {
        press(*console, control::saveDump);
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        const QString dump = work->filePath(QStringLiteral("garage.tdm"));
        chooseFile(saveAs, dump);
        auto* comment = waitForWindow<ui::CommentDialog>();
        QVERIFY(comment != nullptr);
        comment->reject();
        QStatusBar* status = console->form().statusBar;
        QVERIFY(waitFor(
            [status] { return status->currentMessage().startsWith(QStringLiteral("Отчёт ")); }));
        QCOMPARE(status->currentMessage(), QStringLiteral("Отчёт дописан в ") + dump);
        QVERIFY(QFileInfo(dump).size() > 0);
    }

    // A dump file that does not open is named with its cause, and the next
    // "Запись" asks for a file instead of failing on the same one.
    void aDumpFileThatFailedIsAskedForAgain() {
        const QString nowhere = work->filePath(QStringLiteral("gone/car.tdm"));
        press(*console, control::saveDump);
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        chooseFile(saveAs, nowhere);
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("Не возможно открыть файл.\n") + nowhere +
                                  QStringLiteral(": нет такой папки"));
        box->button(QMessageBox::Ok)->click();
        QStatusBar* status = console->form().statusBar;
        QVERIFY(waitFor(
            [status] { return status->currentMessage().startsWith(QStringLiteral("Отчёт ")); }));
        QCOMPARE(status->currentMessage(),
                 QStringLiteral("Отчёт не записан: ") + nowhere +
                     QStringLiteral(": нет такой папки. Следующая запись спросит файл заново."));
        press(*console, control::saveDump);
        saveAs = waitForWindow<QFileDialog>();
        QVERIFY2(saveAs != nullptr, "the failed file is asked for again");
        const QString dump = work->filePath(QStringLiteral("car.tdm"));
        chooseFile(saveAs, dump);
        auto* comment = waitForWindow<ui::CommentDialog>();
        QVERIFY(comment != nullptr);
        comment->reject();
        QVERIFY(waitFor([status, dump] {
            return status->currentMessage() == QStringLiteral("Отчёт дописан в ") + dump;
        }));
    }

    void identificationAndReportNameWhatTheEcuLeftUnanswered() {
        line->ecu().addFault({sim::FaultKind::silence,
                              {sim::FaultTrigger::Mode::always, 0, 1.0, std::uint8_t{0x52}},
                              0});
        QStatusBar* status = console->form().statusBar;
        press(*console, control::identify);
        auto* dialog = waitForWindow<ui::IdentificationDialog>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(status->currentMessage(),
                 QStringLiteral("ЭБУ не ответил: паспорт программы; эти поля пусты."));
        dialog->findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
        press(*console, control::saveDump);
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        const QString dump = work->filePath(QStringLiteral("garage.tdm"));
        chooseFile(saveAs, dump);
        auto* comment = waitForWindow<ui::CommentDialog>();
        QVERIFY(comment != nullptr);
        comment->reject();
        QVERIFY(waitFor(
            [status] { return status->currentMessage().startsWith(QStringLiteral("Отчёт")); }));
        QCOMPARE(status->currentMessage(),
                 QStringLiteral("Отчёт дописан в ") + dump +
                     QStringLiteral(". ЭБУ не ответил: паспорт программы; в отчёте они не "
                                    "прочитаны."));
    }

    // The results of a run whose report was not written stay, and are saved on request.
    void aRunNotSavedIsSavedAgainWithItsSamples() {
        ui::MeasuredDialog* dialog = openDynamicTest();
        QVERIFY(dialog != nullptr);
        auto* saveAgain = dialog->findChild<QAbstractButton*>(QStringLiteral("saveAgain"));
        QVERIFY(!saveAgain->isEnabled());
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        auto* cancelled = waitForWindow<QFileDialog>(30000);
        QVERIFY(cancelled != nullptr);
        cancelled->reject();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY2(progressText(dialog).contains(QStringLiteral("Отчёт не записан")),
                 qPrintable(progressText(dialog)));
        QVERIFY(saveAgain->isEnabled());
        QVERIFY(QDir(work->path()).mkdir(QStringLiteral("later")));
        const QString dump = work->filePath(QStringLiteral("later/car.tdm"));
        saveAgain->click();
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        chooseFile(saveAs, dump);
        auto* comment = waitForWindow<ui::CommentDialog>();
        QVERIFY(comment != nullptr);
        comment->reject();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY2(progressText(dialog).endsWith(QStringLiteral(" Отчёт: ") + dump),
                 qPrintable(progressText(dialog)));
        QVERIFY(!saveAgain->isEnabled());
        QCOMPARE(QDir(work->filePath(QStringLiteral("later")))
                     .entryList({QStringLiteral("*.dmp")}, QDir::Files)
                     .size(),
                 1);
    }

    // "Записать отчёт" offers only the run whose figures are shown: after a run
    // that did not end Ok the fields read 0, and the run not saved before is gone.
    void aReportIsOfferedOnlyForTheRunShown_data() {
        QTest::addColumn<bool>("stopped");
        QTest::newRow("stopped run") << true;
        QTest::newRow("levels refused") << false;
    }

    void aReportIsOfferedOnlyForTheRunShown() {
        QFETCH(bool, stopped);
        ui::MeasuredDialog* dialog = openDynamicTest();
        QVERIFY(dialog != nullptr);
        auto* saveAgain = dialog->findChild<QAbstractButton*>(QStringLiteral("saveAgain"));
        auto* start = dialog->findChild<QAbstractButton*>(QStringLiteral("start"));
        start->click();
        auto* cancelled = waitForWindow<QFileDialog>(30000);
        QVERIFY(cancelled != nullptr);
        cancelled->reject();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QVERIFY(saveAgain->isEnabled());
        if (stopped) {
            line->ecu().setScenario(sim::Scenario::idle);
            start->click();
            dialog->findChild<QAbstractButton*>(QStringLiteral("stop"))->click();
        } else {
            field(dialog, "c1084")->setText(QStringLiteral("6001"));
            start->click();
            auto* box = waitForWindow<QMessageBox>();
            QVERIFY(box != nullptr);
            box->button(QMessageBox::Ok)->click();
        }
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }));
        QCOMPARE(field(dialog, "c1091")->text(), QStringLiteral("0"));
        QVERIFY(!saveAgain->isEnabled());
    }

private:
    // Opens "Управление", types text into one field and presses "Ввод".
    ui::ControlParameterDialog* enterParameter(const char* name, const QString& text) {
        press(*console, control::controlParameters);
        auto* dialog = waitForWindow<ui::ControlParameterDialog>();
        if (dialog != nullptr) {
            field(dialog, name)->setText(text);
            dialog->findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
        }
        return dialog;
    }

    ui::MeasuredDialog* openDynamicTest() {
        press(*console, control::dynamicTest);
        return waitForWindow<ui::MeasuredDialog>();
    }

    static QLineEdit* field(QWidget* dialog, const char* name) {
        return dialog->findChild<QLineEdit*>(QLatin1String(name));
    }

    static QString progressText(QWidget* dialog) {
        return dialog->findChild<QLabel*>(QStringLiteral("progressText"))->text();
    }

    std::unique_ptr<QTemporaryDir> work;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::DialogTest)
#include "dialog_test.moc"
