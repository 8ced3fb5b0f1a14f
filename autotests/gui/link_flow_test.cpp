#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/fault_decoding_dialog.h"
#include "ui/main_window.h"

namespace ecuprobe::gui_testing {

enum class CloseWay { closeBox, windowManager, escapeKey, exitItem, stopSignal };

}  // namespace ecuprobe::gui_testing

Q_DECLARE_METATYPE(ecuprobe::gui_testing::CloseWay)
Q_DECLARE_METATYPE(ecuprobe::sim::FaultKind)

namespace ecuprobe::gui_testing {

namespace control = console::control;

namespace {

bool connectedAndAnswering(const ReportLog& log) {
    return !log.empty() && log.last().status.ecuAnswering &&
           log.last().snapshot.isEnabled(control::injector1);
}

bool contains(const std::vector<Bytes>& payloads, const Bytes& wanted) {
    return std::find(payloads.begin(), payloads.end(), wanted) != payloads.end();
}

}  // namespace

// The console on its link thread against the simulated ECU, driven through its
// widgets as a person would, and closed every way there is.
class LinkFlowTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        openInShell();
        QVERIFY(waitFor([this] { return !log->empty(); }));
    }

    void cleanup() { drop(); }

    void cutInjectorIsHandedBackLastWhicheverWayTheConsoleCloses_data() {
        QTest::addColumn<CloseWay>("way");
        QTest::newRow("close box") << CloseWay::closeBox;
        QTest::newRow("window manager") << CloseWay::windowManager;
        QTest::newRow("Escape") << CloseWay::escapeKey;
        QTest::newRow("Exit item") << CloseWay::exitItem;
        QTest::newRow("stop signal") << CloseWay::stopSignal;
    }
    void cutInjectorIsHandedBackLastWhicheverWayTheConsoleCloses() {
        QFETCH(CloseWay, way);
        startConnected();
        QCOMPARE(log->last().snapshot.text(control::statusText), std::string("ЭБУ Микас 5.4. "));
        press(*console, control::injector1);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0x01; }));
        QVERIFY(contains(line->payloads(), {0x62, 0x0D, 0x01}));
        QVERIFY(waitFor([this] { return !box(control::injector1)->isChecked(); }));
        press(*console, control::releaseControls);
        QVERIFY(waitFor([this] { return box(control::injector1)->isChecked(); }));
        press(*console, control::injector1);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0x01; }));

        closeBy(way);
        QVERIFY(waitFor([this] { return console.isNull(); }));
        const std::vector<Bytes> sent = line->payloads();
        QVERIFY(sent.size() >= 6);
        QCOMPARE(std::vector<Bytes>(sent.end() - 6, sent.end()), handBackPayloads());
        QCOMPARE(line->ecu().controls().injectorCut, std::uint8_t{0});
        QCOMPARE(log->closings, std::vector<QString>{QString()});
        const bool programCloses = way == CloseWay::exitItem || way == CloseWay::stopSignal;
        QVERIFY(waitFor([this, programCloses] { return shell->isVisible() != programCloses; }));
    }

    void aConsoleDroppedWithoutClosingStillHandsBackFirst() {
        startConnected();
        press(*console, control::injector2);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0x02; }));
        delete console.data();
        const std::vector<Bytes> sent = line->payloads();
        QCOMPARE(std::vector<Bytes>(sent.end() - 6, sent.end()), handBackPayloads());
        QCOMPARE(line->ecu().controls().injectorCut, std::uint8_t{0});
    }

    void silentEcuAtCloseWithNothingHeldSaysSoOnTheStatusLineOnly() {
        startConnected();
        line->ecu().setSilent(true);
        console->close();
        QVERIFY(waitFor([this] { return console.isNull(); }));
        QCOMPARE(log->closings, std::vector<QString>{QString()});
        QVERIFY(shell->findChild<QMessageBox*>() == nullptr);
        QCOMPARE(shell->statusBar()->currentMessage(),
                 QStringLiteral("ЭБУ не подтвердил возврат управления: выходы (0x09), "
                                "маска выходов (0x0A), параметры (0x0B), параметры (0x0C), "
                                "форсунки (0x0D), регуляторы (0x0E); тестер ничего не "
                                "удерживает."));
    }

    // The box shows what the ECU has: cut while it is silent and may still hold
    // the cut, released once it has answered the hand-back.
    void aCutHeldThroughASilenceIsShownSoAndHandedBackWhenTheEcuAnswers() {
        startConnected();
        press(*console, control::injector1);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0x01; }));
        QVERIFY(waitFor([this] { return !box(control::injector1)->isChecked(); }));
        const std::size_t cutAt = log->reports.size();
        line->ecu().setSilent(true);
        QVERIFY(
            waitFor([this] { return shellLine().startsWith(QStringLiteral("ЭБУ не отвечает")); }));
        QVERIFY(waitFor([this] { return log->ticks() > 0 && !connectedAndAnswering(*log); }));
        auto* note = console->findChild<QLabel*>(QStringLiteral("heldNote"));
        QCOMPARE(note->text(), QStringLiteral("Тестер может удерживать: форсунка 1"));
        QVERIFY(note->isVisible());
        QVERIFY(box(control::injector1)->property("held").toBool());
        QVERIFY(box(control::releaseControls)->isEnabled());
        QCOMPARE(line->ecu().controls().injectorCut, std::uint8_t{0x01});

        line->ecu().setSilent(false);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0; }));
        const std::string returned = "Управление возвращено ЭБУ: форсунки (0x0D: форсунка 1).";
        QVERIFY(waitFor([this, &returned] {
            return log->last().snapshot.text(control::statusText) == returned;
        }));
        for (std::size_t i = cutAt; i < log->reports.size(); ++i) {
            const console::PanelSnapshot& shown = log->reports[i].snapshot;
            const bool paid = shown.text(control::statusText) == returned;
            QVERIFY2(shown.isChecked(control::injector1) == paid, std::to_string(i).c_str());
            if (paid) {
                break;
            }
        }
        QVERIFY(waitFor([this] { return box(control::injector1)->isChecked(); }));
        QVERIFY(!note->isVisible());
        QVERIFY(!box(control::injector1)->property("held").toBool());
    }

    void closingWhileACutMayBeHeldWarnsAndTheNextConsolePaysIt_data() {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("ECU silent") << false;
        QTest::newRow("adapter unplugged") << true;
    }
    void closingWhileACutMayBeHeldWarnsAndTheNextConsolePaysIt() {
        QFETCH(bool, unplugged);
        startConnected();
        press(*console, control::injector1);
        QVERIFY(waitFor([this] { return line->ecu().controls().injectorCut == 0x01; }));
        if (unplugged) {
            line->ecu().addFault(
                {sim::FaultKind::vanish, {sim::FaultTrigger::Mode::once, 1, 1.0, {}}, 60000});
            QVERIFY(waitFor([this] { return shellLine().startsWith("Адаптер отключён"); }));
        } else {
            line->ecu().setSilent(true);
        }
        console->close();
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Управление не возвращено ЭБУ"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), QStringLiteral("ЭБУ не подтвердил возврат управления. Тестер может "
                                             "удерживать: форсунки (0x0D: форсунка 1);\n"
                                             "включите зажигание и откройте тестер снова: "
                                             "управление будет возвращено."));
        box->accept();
        QCOMPARE(line->ecu().controls().injectorCut, std::uint8_t{0x01});
        if (unplugged) {
            return;
        }
        line->ecu().setSilent(false);
        const std::size_t before = line->payloads().size();
        shell->openConsole();
        console = shell->console();
        log = std::make_unique<ReportLog>(console->link());
        startConnected();
        QCOMPARE(line->ecu().controls().injectorCut, std::uint8_t{0});
        const std::vector<Bytes> sent = line->payloads();
        const auto type =
            std::find(sent.begin() + static_cast<std::ptrdiff_t>(before), sent.end(), Bytes{0x01});
        QVERIFY(type != sent.end() && type + 1 != sent.end());
        QCOMPARE(*(type + 1), (Bytes{0x62, 0x0D, 0x00}));
        // The console's words about the outputs follow them: cut again, then silent.
        QStatusBar* status = console->form().statusBar;
        QLabel* held = console->form().heldNote;
        QVERIFY(waitFor([&] {
            return status->currentMessage() ==
                   QStringLiteral("Управление возвращено ЭБУ: форсунки (0x0D: форсунка 1).");
        }));
        QVERIFY(!console->form().control(control::releaseControls)->isEnabled());
        press(*console, control::injector1);
        QVERIFY(waitFor([&] {
            return held->text() == QStringLiteral("Удерживается тестером: форсунка 1");
        }));
        QCOMPARE(status->currentMessage(), QString());
        QVERIFY(console->form().control(control::releaseControls)->isEnabled());
        line->ecu().setSilent(true);
        QVERIFY(waitFor([&] {
            return held->text() == QStringLiteral("Тестер может удерживать: форсунка 1");
        }));
    }

    void aPortThatCannotBeOpenedIsNamedAndAnotherCanBeStartedAtOnce() {
        const std::string missing = "/nonexistent/ttyK";
        cleanup();
        line = std::make_unique<SimulatedLine>();
        line->ports.setPath(0, missing);
        line->device().missingPaths = {missing};
        shell = std::make_unique<ui::MainWindow>(fastConsole(*line));
        shell->openConsole();
        console = shell->console();
        log = std::make_unique<ReportLog>(console->link());
        press(*console, control::start);
        const QString notOpened = QStringLiteral(
            "Порт не открыт: /nonexistent/ttyK (нет такого порта) — выберите "
            "другой порт и нажмите «Начать»");
        QVERIFY(waitFor([&] { return indicator() == notOpened; }));
        QCOMPARE(shellLine(), notOpened);
        QVERIFY(console->form().comBox->isEnabled());
        QVERIFY(console->form().comMapButton->isEnabled());
        QVERIFY(console->form().control(control::start)->isEnabled());
        QVERIFY(line->payloads().empty());

        console->form().comBox->setCurrentIndex(1);
        emit console->form().comBox->activated(1);
        startConnected();
        QVERIFY(
            waitFor([this] { return shellLine() == QStringLiteral("ЭБУ Микас 5.4 на связи"); }));
        QVERIFY(!console->form().comBox->isEnabled());
        QVERIFY(!console->form().comMapButton->isEnabled());
        QSettings().remove("console/comSlot");
    }

    void silentEcuAndUnpluggedAdapterShowInTheIndicatorAndTheMainStatusBar() {
        startConnected();
        QCOMPARE(indicator(), QStringLiteral("ЭБУ Микас 5.4 на связи"));
        line->ecu().setSilent(true);
        const QString silent =
            QStringLiteral("ЭБУ не отвечает — зажигание выключено? не тот разъём?");
        QVERIFY(waitFor([&] { return shellLine() == silent; }));
        QCOMPARE(indicator(), silent);
        // Another port or «Адаптер без эха» can be chosen and started again.
        QVERIFY(waitFor([this] { return console->form().comBox->isEnabled(); }));
        QVERIFY(console->form().comMapButton->isEnabled());
        QVERIFY(console->form().control(control::start)->isEnabled());
        line->ecu().setSilent(false);
        QVERIFY(
            waitFor([this] { return shellLine() == QStringLiteral("ЭБУ Микас 5.4 на связи"); }));
        QVERIFY(waitFor([this] { return !console->form().comBox->isEnabled(); }));
        sim::FaultRule unplug{
            sim::FaultKind::vanish, {sim::FaultTrigger::Mode::once, 1, 1.0, {}}, 60000};
        line->ecu().addFault(unplug);
        QVERIFY(waitFor([this] {
            return shellLine() == QStringLiteral("Адаптер отключён: ") +
                                      QString::fromStdString(line->ports.path(0)) +
                                      QStringLiteral(
                                          " — подключите адаптер снова или выберите "
                                          "другой порт");
        }));
        QVERIFY(waitFor([this] { return console->form().comBox->isEnabled(); }));
        QVERIFY(console->form().comMapButton->isEnabled());
        QVERIFY(console->form().control(control::start)->isEnabled());
    }

    // What the echo check found is the cause shown, and the status field no
    // longer claims the ECU type beside it.
    void theIndicatorTellsWhatTheLineDid_data() {
        QTest::addColumn<sim::FaultKind>("fault");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ECU silent")
            << sim::FaultKind::silence << QStringLiteral("ЭБУ не отвечает — ");
        QTest::newRow("half the echo")
            << sim::FaultKind::shortEcho << QStringLiteral("Нет эха от адаптера — ");
        QTest::newRow("answer in place of the echo")
            << sim::FaultKind::missingEcho << QStringLiteral("Адаптер без эха — ");
        QTest::newRow("garbage") << sim::FaultKind::garbage << QStringLiteral("Помехи на линии — ");
    }
    void theIndicatorTellsWhatTheLineDid() {
        QFETCH(sim::FaultKind, fault);
        QFETCH(QString, shown);
        startConnected();
        line->ecu().addFault({fault, {}, 0});
        QVERIFY(waitFor([&] { return indicator().startsWith(shown); }));
        QVERIFY(waitFor([&] { return shellLine().startsWith(shown); }));
        QVERIFY(waitFor([this] {
            return console->findChild<QLineEdit*>(ui::controlName(control::statusText))->text() ==
                   QStringLiteral("*** Нет связи");
        }));
        line->ecu().clearFaultRules();
        QVERIFY(
            waitFor([this] { return indicator() == QStringLiteral("ЭБУ Микас 5.4 на связи"); }));
    }

    void periodUpDownClampsAndSetsThePollPeriod_data() {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<uint>("periodMs");
        QTest::newRow("up from 2 comes back to 2") << QList<int>{1} << QStringLiteral("2") << 2000u;
        QTest::newRow("down to 1") << QList<int>{-1} << QStringLiteral("1") << 1000u;
        QTest::newRow("down to 0") << QList<int>{-1, -1} << QStringLiteral("0") << 600u;
        QTest::newRow("0 and up twice") << QList<int>{-1, -1, 1, 1} << QStringLiteral("2") << 2000u;
    }
    void periodUpDownClampsAndSetsThePollPeriod() {
        QFETCH(QList<int>, steps);
        QFETCH(QString, shown);
        QFETCH(uint, periodMs);
        startConnected();
        const auto* upDown = console->form().control(control::periodUpDown);
        for (const int step : steps) {
            upDown->findChild<QAbstractButton*>(step > 0 ? "up" : "down")->click();
        }
        QVERIFY(waitFor([&] {
            return log->last().snapshot.text(control::period) == shown.toStdString() &&
                   log->last().snapshot.periodMs == periodMs;
        }));
        QCOMPARE(console->findChild<QLineEdit*>(ui::controlName(control::period))->text(), shown);
    }

    void decodeOpensTheDecodedList() {
        line->ecu().setStoredFaults({{13, 0x20}});
        startConnected();
        press(*console, control::decodeFaults);
        auto* decoded = waitForWindow<ui::FaultDecodingDialog>();
        QVERIFY(decoded != nullptr);
        QCOMPARE(decoded->windowTitle(), QStringLiteral("Расшифровка кодов неисправностей"));
        QCOMPARE(decoded->findChild<QPlainTextEdit*>()->toPlainText(),
                 QStringLiteral("\n 013:20: низкий уровень сигнала датчика расхода воздуха = "
                                "многократн.."));
        decoded->close();
    }

    void aSlowUsbAdapterIsToldOnceOnTheStatusLine() {
        line->device().latencyTimer = 16;
        startConnected();
        const QString advice = QStringLiteral("Адаптер FTDI задерживает приём на 16 мс");
        QStatusBar* status = console->form().statusBar;
        QVERIFY(waitFor([&] { return status->currentMessage().startsWith(advice); }));
        const int ticks = log->ticks();
        QVERIFY(waitFor([&] { return log->ticks() >= ticks + 3; }));
        const auto told =
            std::count_if(log->reports.begin(), log->reports.end(), [&](const auto& r) {
                return QString::fromStdString(r.adapterAdvice).startsWith(advice);
            });
        QCOMPARE(told, 1);
    }

    void comSlotIsNamedByItsDeviceAndKeptForTheNextConsole() {
        for (int slot = 0; slot < 4; ++slot) {
            QCOMPARE(console->form().comBox->itemData(slot, Qt::ToolTipRole).toString(),
                     QStringLiteral("COM%1: %2\nустройство не найдено")
                         .arg(slot + 1)
                         .arg(QString::fromStdString(line->ports.path(slot))));
        }
        console->form().comBox->setCurrentIndex(2);
        emit console->form().comBox->activated(2);
        QVERIFY(waitFor([this] { return log->last().snapshot.comSelection == 2; }));
        console->close();
        QVERIFY(waitFor([this] { return console.isNull(); }));
        QCOMPARE(QSettings().value("console/comSlot").toInt(), 2);
        shell->openConsole();
        console = shell->console();
        log = std::make_unique<ReportLog>(console->link());
        QVERIFY(
            waitFor([this] { return !log->empty() && log->last().snapshot.comSelection == 2; }));
        QSettings().remove("console/comSlot");
    }

private:
    void startConnected() {
        press(*console, control::start);
        QVERIFY(waitFor([this] { return connectedAndAnswering(*log); }));
    }

    void closeBy(CloseWay way) {
        switch (way) {
            case CloseWay::closeBox:
                console->close();
                break;
            case CloseWay::windowManager: {
                QCloseEvent event;
                QApplication::sendEvent(console, &event);
                QVERIFY(!event.isAccepted());
                break;
            }
            case CloseWay::escapeKey: {
                QTest::keyClick(console, Qt::Key_Escape);
                auto* question =
                    console->findChild<QMessageBox*>(QStringLiteral("endSessionQuestion"));
                QVERIFY(question != nullptr);
                question->button(QMessageBox::Yes)->click();
                break;
            }
            case CloseWay::exitItem:
                shell->findChild<QAction*>(QStringLiteral("fileExit"))->trigger();
                break;
            case CloseWay::stopSignal:
                shell->closeUnattended();
                break;
        }
    }

    QAbstractButton* box(console::ControlId id) const {
        return qobject_cast<QAbstractButton*>(console->form().control(id));
    }

    QString shellLine() const {
        return shell->findChild<QLabel*>(QStringLiteral("linkLine"))->text();
    }

    QString indicator() const { return console->form().linkState->text(); }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::LinkFlowTest)
#include "link_flow_test.moc"
