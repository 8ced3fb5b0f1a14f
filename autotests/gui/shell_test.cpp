#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>

#include "console/panel_controls.h"
#include "ecu/owed_store.h"
#include "gui_support.h"
#include "ui/about_box.h"
#include "ui/connection_window.h"
#include "ui/fault_decoding_dialog.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qt_russian.h"
#include "ui/start_panel.h"
#include "ui/wiring_diagram.h"

namespace ecuprobe::gui_testing {

namespace {

QStringList labelTexts(QWidget& window) {
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            texts.append(label->text());
        }
    }
    return texts;
}

}  // namespace

// The main window: its title, menus, toolbar and status bar, and the windows it opens.
class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        line = std::make_unique<SimulatedLine>();
        shell = std::make_unique<ui::MainWindow>(fastConsole(*line));
        shell->show();
        QVERIFY(QTest::qWaitForWindowExposed(shell.get()));
    }

    void cleanup() {
        shell->close();
        QVERIFY(waitFor([this] { return !shell->isVisible(); }));
        shell.reset();
        line.reset();
    }

    void titleNamesTheDocumentAndTheProgram() {
        QCOMPARE(shell->windowTitle(), QStringLiteral("GAZ(MIKAS) - ECUPROBE"));
    }

    void menusHoldTheirItemsWithOnlyThoseThatActEnabled_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("File") << QStringLiteral("&File")
                              << QStringList{"&New",          "&Open...",        "&Save",
                                             "Save &As...",   "&Print...",       "Print Pre&view",
                                             "Экспорт в PDF", "P&rint Setup...", "Recent File",
                                             "E&xit"}
                              << QList<bool>{false, true,  false, false, false,
                                             false, false, false, false, true};
        QTest::newRow("Edit") << QStringLiteral("&Edit")
                              << QStringList{"&Undo", "Cu&t", "&Copy", "&Paste"}
                              << QList<bool>{false, false, false, false};
        QTest::newRow("View") << QStringLiteral("&View") << QStringList{"&Toolbar", "&Status Bar"}
                              << QList<bool>{true, true};
        QTest::newRow("Start") << QStringLiteral("&Начать тестирование")
                               << QStringList{"&StartTest", "&Начать Тестирование"}
                               << QList<bool>{true, true};
        QTest::newRow("Help") << QStringLiteral("&? Помощь")
                              << QStringList{"&Help Topics (Содержание)",
                                             "Схема K-Line <-> RS-232 (ПК <-> ЭБУ)",
                                             "&About ECUPROBE..."}
                              << QList<bool>{true, true, true};
    }
    void menusHoldTheirItemsWithOnlyThoseThatActEnabled() {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        QFETCH(QList<bool>, enabled);
        QMenu* found = nullptr;
        for (QAction* top : shell->menuBar()->actions()) {
            if (top->text() == menu) {
                found = top->menu();
            }
        }
        QVERIFY(found != nullptr);
        QStringList texts;
        QList<bool> states;
        // The recent files' items are hidden while the list is empty.
        for (const QAction* item : found->actions()) {
            if (!item->isSeparator() && item->isVisible()) {
                texts.append(item->text());
                states.append(item->isEnabled());
            }
        }
        QCOMPARE(texts, items);
        QCOMPARE(states, enabled);
    }

    void toolbarRunsFromNewToTheConnectionScheme() {
        QStringList order;
        for (const QAction* action : shell->findChild<QToolBar*>()->actions()) {
            order.append(action->isSeparator() ? QStringLiteral("|") : action->objectName());
        }
        QCOMPARE(order, (QStringList{"fileNew", "fileOpen", "fileSave", "|", "editCut", "editCopy",
                                     "editPaste", "|", "filePrint", "|", "about", "contextHelp",
                                     "|", "startTest", "|", "connectionScheme"}));
    }

    void itemsPromptInTheStatusBar() {
        shell->findChild<QAction*>(QStringLiteral("startTest"))->showStatusText(shell.get());
        QCOMPARE(shell->statusBar()->currentMessage(), QStringLiteral("Начать тестирование"));
        auto* scheme = shell->findChild<QAction*>(QStringLiteral("connectionScheme"));
        scheme->showStatusText(shell.get());
        QCOMPARE(shell->statusBar()->currentMessage(),
                 QStringLiteral("Показать схему подключения к ПК"));
        QCOMPARE(scheme->toolTip(), QStringLiteral("Схема подключения к ПК"));
    }

    void ctrlKShowsTheConnectionSchemeWithItsDiagram() {
        QTest::keySequence(shell.get(), QKeySequence(Qt::CTRL | Qt::Key_K));
        auto* scheme = waitForWindow<ui::ConnectionWindow>();
        QVERIFY(scheme != nullptr);
        QCOMPARE(scheme->windowTitle(), QStringLiteral("PC connection"));
        QCOMPARE(
            labelTexts(*scheme),
            (QStringList{
                QStringLiteral(" Простейшая из известных мне схем подключения ПК (RS-232) к ЭБУ"),
                QStringLiteral("Более сложные схемы и информ. по разъемам см. в Help.")}));
        const QImage drawn = scheme->findChild<ui::WiringDiagram*>()->grab().toImage();
        QVERIFY(drawn.pixelColor(0, 0) != drawn.pixelColor(drawn.width() / 2, drawn.height() / 3) ||
                drawn.pixelColor(0, 0) != drawn.pixelColor(drawn.width() / 4, drawn.height() / 2));
        scheme->accept();
    }

    void aboutBoxNamesTheControllersAndTheVersion() {
        shell->findChild<QAction*>(QStringLiteral("about"))->trigger();
        auto* about = waitForWindow<ui::AboutBox>();
        QVERIFY(about != nullptr);
        QCOMPARE(about->windowTitle(), QStringLiteral("About ECUPROBE"));
        QCOMPARE(labelTexts(*about), (QStringList{QStringLiteral("Контроллеры МИКАС 5.x, 7.x"),
                                                  QStringLiteral("ECUPROBE, версия 0.1 beta")}));
        QCOMPARE(about->findChild<QDialogButtonBox*>()->buttons().size(), 1);
        about->accept();
    }

    void helpTopicsOpenTheBundledManual() {
        QTest::keyClick(shell.get(), Qt::Key_F1);
        auto* help = waitForWindow<ui::HelpWindow>();
        QVERIFY(help != nullptr);
        const QString manual = help->findChild<QTextBrowser*>()->toPlainText();
        for (const char* heading : {"Подключение", "Консоль «Тестер»", "«Динам.»", "«Ускор.»",
                                    "«Потерь»", "Записываемые файлы", ".tdm", ".dmp"}) {
            QVERIFY2(manual.contains(QString::fromUtf8(heading)), heading);
        }
        help->close();
    }

    void startOpensOneConsoleAtATimeAndAFreshOneEachTime() {
        QAction* start = shell->findChild<QAction*>(QStringLiteral("startTest"));
        start->trigger();
        QPointer<ui::TesterWindow> first = shell->console();
        QVERIFY(first != nullptr);
        QCOMPARE(first->windowModality(), Qt::ApplicationModal);
        ReportLog firstLog(first->link());
        press(*first, console::control::start);
        QVERIFY(waitFor([&] { return !firstLog.empty() && firstLog.last().status.ecuAnswering; }));
        shell->findChild<QAction*>(QStringLiteral("startTesting"))->trigger();
        QCOMPARE(shell->console(), first.data());
        first->close();
        QVERIFY(waitFor([&] { return first.isNull(); }));
        start->trigger();
        ui::TesterWindow* second = shell->console();
        QVERIFY(second != nullptr);
        ReportLog secondLog(second->link());
        QVERIFY(waitFor([&] { return !secondLog.empty(); }));
        const console::PanelSnapshot idle = secondLog.last().snapshot;
        QVERIFY(idle.isEnabled(console::control::start));
        QVERIFY(!idle.timerRunning);
        QCOMPARE(idle.comSelection, -1);
    }

    void startPanelAndCtrlTOpenTheConsoleOnTheSlotItNames() {
        auto* port = shell->findChild<QLabel*>(QStringLiteral("startPort"));
        QCOMPARE(port->text(),
                 QStringLiteral("Порт: COM1 (по умолчанию): %1 — устройство не найдено")
                     .arg(QString::fromStdString(line->ports.path(0))));
        shell->findChild<QPushButton*>(QStringLiteral("startButton"))->click();
        QPointer<ui::TesterWindow> console = shell->console();
        QVERIFY(console != nullptr);
        console->form().comBox->setCurrentIndex(2);
        emit console->form().comBox->activated(2);
        // A run killed with injector 1 cut on COM3's adapter.
        ecu::OwedControls cut;
        cut.held[*ecu::OwedControls::indexOf(0x0D)] = 0x01;
        ecu::processOwedMemory().save(line->ports.path(2), cut);
        QVERIFY(closeConsole(console));
        QVERIFY2(port->text().startsWith(QStringLiteral("Порт: COM3: ")), qPrintable(port->text()));
        QCOMPARE(shell->findChild<QLabel*>(QStringLiteral("startOwed"))->text(),
                 QStringLiteral("Тестер мог оставить отключённой форсунку 1 на COM3: управление "
                                "будет возвращено при подключении."));
        ecu::processOwedMemory().forgetAll();
        shell->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shell.get()));
        QTest::keySequence(shell.get(), QKeySequence(Qt::CTRL | Qt::Key_T));
        console = shell->console();
        QVERIFY(console != nullptr);
        QVERIFY(waitFor([&console] { return console->form().comBox->currentIndex() == 2; }));
        QVERIFY(closeConsole(console));
    }

    void startPanelNamesTheSimulatorRatherThanItsTemporaryTerminal() {
        platform::PortMap ports;
        ports.setPath(0, "/tmp/ecuprobe-sim-x/COM1");
        ports.setPath(2, "/dev/ttyUSB0");
        ui::StartPanel panel(nullptr);
        auto* port = panel.findChild<QLabel*>(QStringLiteral("startPort"));
        panel.showPort(std::nullopt, ports, {}, 0);
        QCOMPARE(port->text(),
                 QStringLiteral("Порт: COM1 (по умолчанию) — встроенный имитатор ЭБУ"));
        panel.showPort(2, ports, {}, 0);
        QCOMPARE(port->text(), QStringLiteral("Порт: COM3: /dev/ttyUSB0 — устройство не найдено"));
    }

    void schemeWindowLeadsToTheSocketsInTheManual() {
        shell->showConnection();
        auto* scheme = waitForWindow<ui::ConnectionWindow>();
        QVERIFY(scheme != nullptr);
        scheme->findChild<QPushButton*>(QStringLiteral("socketsHelp"))->click();
        auto* help = waitForWindow<ui::HelpWindow>();
        QVERIFY(help != nullptr);
        auto* manual = help->findChild<QTextBrowser*>();
        QVERIFY(waitFor([manual] { return manual->verticalScrollBar()->value() > 0; }));
        const QString top = manual->cursorForPosition(QPoint(4, 4)).block().text();
        QCOMPARE(top, QStringLiteral("Разъёмы и схемы"));
        QVERIFY(manual->toPlainText().contains(QStringLiteral("7 — линия K")));
        QVERIFY(manual->toPlainText().contains(QStringLiteral("ЭБУ не отвечает — что проверить")));
        scheme->accept();
    }

    void faultDecodingShowsWholeLinesAndCloses() {
        const std::string decoded =
            "\r\n 013:20: низкий уровень сигнала датчика расхода воздуха = многократн..\r\n"
            " 131:60: неисправность форсунки 1 (короткое замыкание) = многократн. = "
            "однократн..\r\n";
        ui::FaultDecodingDialog dialog(decoded, shell.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* text = dialog.findChild<QPlainTextEdit*>();
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            QCOMPARE(block.layout()->lineCount(), 1);
        }
        QVERIFY(dialog.frameGeometry().width() <= dialog.screen()->availableGeometry().width());
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click();
        QVERIFY(!dialog.isVisible());
    }

    void geometryIsKeptForTheNextStart() {
        shell->resize(701, 433);
        shell->close();
        ui::MainWindow again(fastConsole(*line));
        QCOMPARE(again.size(), QSize(701, 433));
    }

    // Last: Qt's texts stay Russian for the rest of the program.
    void qtOwnButtonsSpeakRussian() {
        QVERIFY(ui::loadQtRussian(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Question, QStringLiteral("Тестер"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Отмена"));
    }

private:
    std::unique_ptr<SimulatedLine> line;
    std::unique_ptr<ui::MainWindow> shell;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ShellTest)
#include "shell_test.moc"
