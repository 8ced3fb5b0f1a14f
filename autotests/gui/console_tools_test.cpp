#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <atomic>
#include <memory>

#include "gui_support.h"
#include "link/frame_exchange.h"
#include "ui/com_port_devices.h"

namespace ecuprobe::gui_testing {

// The console's tools beyond its controls: the drive log, the COM box's
// detected devices and the warning of a trace that lost a line.
class ConsoleToolsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() { line = std::make_unique<SimulatedLine>(); }

    void cleanup() {
        QVERIFY(closeConsole(console));
        log.reset();
        line.reset();
    }

    void driveLogToggleWritesTheLiveValuesWithTheirHeadLines() {
        open(fastConsole(*line));
        QVERIFY(startConnected(*console, *log));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("drive.msl"));
        QPushButton* toggle = console->form().driveLogButton;
        toggle->click();
        QVERIFY(!toggle->isChecked());
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        QCOMPARE(saveAs->defaultSuffix(), QStringLiteral("msl"));
        chooseFile(saveAs, path);
        QVERIFY(waitFor([this] { return log->last().status.driveLogRows >= 3; }));
        QVERIFY(toggle->isChecked());
        QCOMPARE(log->last().status.driveLogPath, path.toStdString());
        QLabel* state = console->form().driveLogState;
        QVERIFY2(state->text().startsWith(QStringLiteral("Лог: drive.msl, строк: ")),
                 qPrintable(state->text()));
        QCOMPARE(state->toolTip(), path);
        line->ecu().setSilent(true);
        QVERIFY(waitFor([state] {
            return state->text().startsWith(QStringLiteral("Лог на паузе (нет связи с ЭБУ): "));
        }));
        line->ecu().setSilent(false);
        QVERIFY(waitFor([state] { return state->text().startsWith(QStringLiteral("Лог: ")); }));
        toggle->click();
        QVERIFY(waitFor([toggle] { return !toggle->isChecked(); }));
        QVERIFY(waitFor([state] { return state->isHidden(); }));
        QVERIFY(waitFor([this] {
            return console->form().statusBar->currentMessage().startsWith(
                QStringLiteral("Лог записан: "));
        }));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 5);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Time\tTWAT\t")), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith(QStringLiteral("s\t°C\t")), qPrintable(lines[1]));
        for (qsizetype row = 2; row < lines.size(); ++row) {
            QCOMPARE(lines[row].count(u'\t'), lines[0].count(u'\t'));
            QVERIFY(lines[row].section(u'\t', 0, 0).contains(u'.'));
        }
    }

    void driveLogThatCannotBeOpenedIsToldAndNotShownAsRunning() {
        open(fastConsole(*line));
        console->form().driveLogButton->click();
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        // A folder that is a plain file: nothing can be made inside it.
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain"));
        QFile(plain).open(QIODevice::WriteOnly);
        const QString path = plain + QStringLiteral("/drive.msl");
        chooseFile(saveAs, path);
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка исполнения"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->text(), QStringLiteral("Не возможно открыть файл.\n") + path);
        box->accept();
        QVERIFY(!console->form().driveLogButton->isChecked());
    }

    void comBoxNamesAndOffersADetectedDevice() {
        platform::SerialDeviceInfo adapter;
#ifdef _WIN32
        // A USB adapter Windows numbered above COM9, as SetupAPI names it; the slot
        // keeps its COM name, Windows having no links that outlast a replug.
        const QString node = QStringLiteral("COM12");
        const QString byId = node;
        adapter.driver = "FTDIBUS";
        adapter.product = "USB Serial Port";
        const QString described =
            node + QStringLiteral(" — FTDI USB Serial Port, 0403:6001, FTDIBUS");
        const QString entry = QStringLiteral("COM2 — FTDI USB Serial Port (COM12)");
#else
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("ttyUSB7"));
        QFile(node).open(QIODevice::WriteOnly);
        const QString byId =
            dir.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A12-if00-port0"));
        QVERIFY(QFile::link(node, byId));
        adapter.byIdPaths = {byId.toStdString()};
        adapter.driver = "ftdi_sio";
        adapter.product = "FT232R USB UART";
        const QString described =
            node + QStringLiteral(" — FTDI FT232R USB UART, 0403:6001, ftdi_sio");
        const QString entry = QStringLiteral("COM2 — FTDI FT232R USB UART (") + node + u')';
#endif
        adapter.name = QFileInfo(node).fileName().toStdString();
        adapter.path = node.toStdString();
        adapter.vendorId = "0403";
        adapter.productId = "6001";
        adapter.maker = "FTDI";
        line->ports.setPath(1, node.toStdString());
        ui::ConsoleOptions options = fastConsole(*line);
        options.findDevices = [adapter] {
            return std::vector<platform::SerialDeviceInfo>{adapter};
        };
        open(options);
        QComboBox* com = console->form().comBox;
        QCOMPARE(com->itemData(1, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM2: ") + node + u'\n' + described);
        QCOMPARE(com->itemText(1), entry);
        QCOMPARE(com->itemText(0), QStringLiteral("COM1"));

        QMenu* offers = console->form().comMapButton->menu();
        emit offers->aboutToShow();
        QCOMPARE(offers->actions().size(), 3);
        QCOMPARE(offers->actions().front()->text(), QStringLiteral("COM1 → ") + described);
        offers->actions().front()->trigger();
        QCOMPARE(QSettings().value(QStringLiteral("ports/com1")).toString(), byId);
        QCOMPARE(com->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM1: ") + byId + u'\n' + described);
        QVERIFY(startConnected(*console, *log));
        QCOMPARE(line->device().openedPath, byId.toStdString());
        QVERIFY(closeConsole(console));
        // The next console starts from the map it was given, not from this one's choice.
        QCOMPARE(link::processLink().portMap(), &line->ports);
        QSettings().remove(QStringLiteral("ports"));
    }

    void keptMappingCanBeDroppedFromTheComBox() {
        QSettings().setValue(QStringLiteral("ports/com1"),
                             QStringLiteral("/dev/serial/by-id/gone"));
        open(fastConsole(*line));
        QMenu* offers = console->form().comMapButton->menu();
        emit offers->aboutToShow();
        const QList<QAction*> items = offers->actions();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[0]->text(), QStringLiteral("Адаптер не найден"));
        QVERIFY(!items[0]->isEnabled());
        QVERIFY(items[1]->isSeparator());
        const QString usual = QString::fromStdString(platform::PortMap::fromEnvironment().path(0));
        QCOMPARE(items[2]->text(), QStringLiteral("COM1 → %1 (без назначения)").arg(usual));
        items[2]->trigger();
        QVERIFY(!QSettings().contains(QStringLiteral("ports/com1")));
        QVERIFY(console->form()
                    .comBox->itemData(0, Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("COM1: ") + usual + u'\n'));
    }

    // The setting follows the adapter's path, and only a start on that adapter takes it.
    void noEchoSettingIsKeptPerAdapterAndTakenAtTheNextStart() {
        sim::SimulatedEcuOptions withoutEcho;
        withoutEcho.adapterEchoes = false;
        line.reset();
        line = std::make_unique<SimulatedLine>(SimulatedLine::Time::virtualTime, withoutEcho);
        open(fastConsole(*line));
        QCOMPARE(noEchoItem(0)->isChecked(), false);
        noEchoItem(0)->trigger();
        QVERIFY(ui::keptNoEcho(line->ports.path(0)));
        QCOMPARE(noEchoItem(1)->isChecked(), false);
        press(*console, console::control::start);
        QVERIFY(waitFor([this] {
            return indicator().startsWith(QStringLiteral(
                "Адаптер без эха — ЭБУ отвечает, но адаптер не возвращает отправленные байты: "
                "отметьте «Адаптер без эха»"));
        }));
        QVERIFY(closeConsole(console));

        open(fastConsole(*line));
        QCOMPARE(noEchoItem(0)->isChecked(), true);
        QVERIFY(startConnected(*console, *log));
        QVERIFY(waitFor([this] {
            return indicator() == QStringLiteral("ЭБУ Микас 5.4 на связи, адаптер без эха");
        }));
        QVERIFY(closeConsole(console));
        QSettings().remove(QStringLiteral("ports"));
        QSettings().remove(QStringLiteral("console/comSlot"));

        ui::ConsoleOptions fromCommandLine = fastConsole(*line);
        fromCommandLine.noEcho = true;
        open(fromCommandLine);
        QVERIFY(noEchoItem(0)->isChecked());
        QVERIFY(!noEchoItem(0)->isEnabled());
        QVERIFY(startConnected(*console, *log));
    }

    void traceThatLostALineIsToldOnce() {
        auto broken = std::make_shared<std::atomic<bool>>(false);
        ui::ConsoleOptions options = fastConsole(*line);
        options.traceBroken = [broken] { return broken->load(); };
        options.tracePath = "/tmp/line.log";
        open(options);
        QVERIFY(startConnected(*console, *log));
        *broken = true;
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка исполнения"));
        QVERIFY2(box->text().startsWith(
                     QStringLiteral("Трасса линии записана не полностью: /tmp/line.log")),
                 qPrintable(box->text()));
        box->accept();
        const int ticks = log->ticks();
        QVERIFY(waitFor([&] { return log->ticks() >= ticks + 3; }));
        QCOMPARE(waitForWindow<QMessageBox>(100), nullptr);
    }

private:
    // The COM menu's setting for a slot, as the menu shows it when opened there.
    QAction* noEchoItem(int slot) {
        console->form().comBox->setCurrentIndex(slot);
        emit console->form().comBox->activated(slot);
        QMenu* offers = console->form().comMapButton->menu();
        emit offers->aboutToShow();
        return offers->findChild<QAction*>(QStringLiteral("noEchoItem"));
    }

    QString indicator() const {
        return console->form().linkState->text();
    }

    void open(const ui::ConsoleOptions& options) {
        console = showConsole(options);
        log = std::make_unique<ReportLog>(console->link());
        QVERIFY(waitFor([this] { return !log->empty(); }));
    }

    std::unique_ptr<SimulatedLine> line;
    QPointer<ui::TesterWindow> console;
    std::unique_ptr<ReportLog> log;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ConsoleToolsTest)
#include "console_tools_test.moc"
