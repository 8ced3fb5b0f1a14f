#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <csignal>
#include <sstream>
#include <string>

#include "app/app_options.h"
#include "app/stop_signal_notifier.h"
#include "console/live_history.h"
#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/link_report.h"
#include "ui/live_chart_window.h"
#include "ui/save_filter.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;

namespace {

console::PanelSnapshot liveValues(const char* freq, const char* twat) {
    console::PanelSnapshot snapshot;
    snapshot.texts[control::FREQ] = freq;
    snapshot.texts[control::TWAT] = twat;
    return snapshot;
}

}  // namespace

// The parts of the desktop tester that decide without a window or a line: the
// file filter, the status line, the chart's history and export, the command line
// and the COM slots kept between runs.
class GuiModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void filterBecomesQtNameFilters_data() {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("dump files and every file")
            << QStringLiteral("Файлы дампов тестера ISO14230 (*.tdm)|*.tdm|Все файлы (*.*)|*.*||")
            << QStringList{QStringLiteral("Файлы дампов тестера ISO14230 (*.tdm)"),
                           QStringLiteral("Все файлы (*)")};
        QTest::newRow("description without its pattern")
            << QStringLiteral("Tester Dump|*.tdm||")
            << QStringList{QStringLiteral("Tester Dump (*.tdm)")};
        QTest::newRow("several patterns")
            << QStringLiteral("Samples|*.dmp;*.dma;*.dmm||")
            << QStringList{QStringLiteral("Samples (*.dmp *.dma *.dmm)")};
        QTest::newRow("no closing pair")
            << QStringLiteral("Text|*.txt") << QStringList{QStringLiteral("Text (*.txt)")};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void filterBecomesQtNameFilters() {
        QFETCH(QString, windows);
        QFETCH(QStringList, qt);
        QCOMPARE(ui::qtNameFilters(windows.toStdString()), qt);
    }

    void statusLineNamesTheTrouble_data() {
        QTest::addColumn<bool>("portFailed");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("line");
        const QString none;
        const QString silent = QStringLiteral("ЭБУ не отвечает");
        const QString unplugged = QStringLiteral("адаптер отключён: /dev/ttyUSB0");
        QTest::newRow("all well") << false << none << none << none;
        QTest::newRow("silent ECU") << false << none << silent << silent;
        QTest::newRow("adapter unplugged") << false << none << unplugged << unplugged;
        QTest::newRow("port never opened, not a silent ECU")
            << true << QStringLiteral("нет такого порта") << silent
            << QStringLiteral("порт не открыт: /dev/ttyUSB0 (нет такого порта)");
        QTest::newRow("port never opened, no reason known")
            << true << none << silent << QStringLiteral("порт не открыт: /dev/ttyUSB0");
    }
    void statusLineNamesTheTrouble() {
        QFETCH(bool, portFailed);
        QFETCH(QString, failure);
        QFETCH(QString, note);
        QFETCH(QString, line);
        ui::LinkStatus status;
        status.started = true;
        status.portFailed = portFailed;
        status.devicePath = "/dev/ttyUSB0";
        status.openFailure = failure.toStdString();
        console::PanelSnapshot shown;
        shown.linkNote = note.toStdString();
        QCOMPARE(QString::fromStdString(ui::linkStatusText(status, shown)), line);
    }

    void chartExportsThePictureAndTheTable() {
        console::LiveHistory history;
        history.add(0, liveValues("800", "90"));
        history.add(1000, liveValues("900", "90"));
        ui::LiveChartWindow chart(history, nullptr);
        chart.choose({control::FREQ});
        chart.resize(640, 400);
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("chart.png"));
        QVERIFY(chart.exportPng(picture));
        QVERIFY(!QImage(picture).isNull());
        const QString tablePath = dir.filePath(QStringLiteral("chart.tsv"));
        QVERIFY(chart.exportTsv(tablePath));
        QFile table(tablePath);
        QVERIFY(table.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(table.readAll()),
                 QStringLiteral("Время, с\tОбороты (FREQ)\n0.0\t800\n1.0\t900\n"));
        QVERIFY(!chart.exportTsv(dir.filePath(QStringLiteral("missing/chart.tsv"))));
    }

    void pausedChartHoldsItsPictureWhileTheHistoryGrows() {
        console::LiveHistory history;
        history.add(0, liveValues("800", "90"));
        ui::LiveChartWindow chart(history, nullptr);
        chart.choose({control::FREQ, control::TWAT});
        const auto drawn = [&chart] {
            const auto series = chart.findChild<QChartView*>()->chart()->series();
            return static_cast<QLineSeries*>(series.front())->count();
        };
        QCOMPARE(chart.findChild<QChartView*>()->chart()->series().size(), 2);
        chart.setPaused(true);
        history.add(1000, liveValues("900", "90"));
        chart.refresh();
        QCOMPARE(drawn(), 1);
        chart.setPaused(false);
        QCOMPARE(drawn(), 2);
    }

    void chartChoicesAreKeptForTheNextWindow() {
        console::LiveHistory history;
        {
            ui::LiveChartWindow chart(history, nullptr);
            chart.choose({control::INJ, control::NUACC});
        }
        ui::LiveChartWindow again(history, nullptr);
        QCOMPARE(again.chosen(), (std::vector<console::ControlId>{control::NUACC, control::INJ}));
    }

    // Each would otherwise end the program without the hand-back.
    void stopSignalReachesTheGuiThreadAsAQtSignal_data() {
        QTest::addColumn<int>("signal");
        for (const int signal : {SIGHUP, SIGTERM, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM}) {
            QTest::newRow(sigabbrev_np(signal)) << signal;
        }
    }
    void stopSignalReachesTheGuiThreadAsAQtSignal() {
        QFETCH(int, signal);
        app::StopSignalNotifier notifier;
        QSignalSpy stops(&notifier, &app::StopSignalNotifier::stopRequested);
        QCOMPARE(app::StopSignalNotifier::signalNumber(), 0);
        ::raise(signal);
        QVERIFY(stops.wait(5000));
        QCOMPARE(stops.at(0).at(0).toInt(), signal);
        QCOMPARE(app::StopSignalNotifier::signalNumber(), signal);
    }

    void commandLineChoosesTheConsolesFirstSlot_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("slot");
        QTest::newRow("nothing asked") << QStringList{} << -1 << -1;
        QTest::newRow("simulator on COM1") << QStringList{"--simulate"} << -1 << 0;
        QTest::newRow("simulator on COM3")
            << QStringList{"--simulate", "runup", "--port", "COM3"} << -1 << 2;
        QTest::newRow("device path takes COM1") << QStringList{"--port", "/dev/ttyUSB0"} << -1 << 0;
        QTest::newRow("COM2 by name") << QStringList{"--port", "com2"} << -1 << 1;
        QTest::newRow("help") << QStringList{"--help"} << 0 << -1;
        QTest::newRow("unknown scenario") << QStringList{"--simulate", "rally"} << 64 << -1;
        QTest::newRow("simulator on a device")
            << QStringList{"--simulate", "--port", "/dev/ttyUSB0"} << 64 << -1;
        QTest::newRow("a Qt option") << QStringList{"-platform", "offscreen"} << 64 << -1;
    }
    void commandLineChoosesTheConsolesFirstSlot() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(int, slot);
        std::vector<std::string> words;
        for (const QString& arg : args) {
            words.push_back(arg.toStdString());
        }
        app::AppOptions options;
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<int> ended = app::parseAppOptions(words, options, out, err);
        QCOMPARE(ended.value_or(-1), status);
        if (!ended) {
            QCOMPARE(app::commandLineComSlot(options).value_or(-1), slot);
        }
    }

    void keptComSlotsGoOnlyWhereNothingElseNamesOne_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("taken");
        const QString none;
        const QString kept = QStringLiteral("/dev/serial/by-id/usb-FTDI-if00-port0");
        QTest::newRow("kept slot") << none << none << kept << kept;
        QTest::newRow("nothing kept") << none << none << none << none;
        QTest::newRow("--com2 comes first")
            << QStringLiteral("/dev/ttyUSB3") << none << kept << QStringLiteral("/dev/ttyUSB3");
        QTest::newRow("ECUPROBE_COM2 comes first")
            << none << QStringLiteral("/dev/ttyACM0") << kept << none;
    }
    void keptComSlotsGoOnlyWhereNothingElseNamesOne() {
        QFETCH(QString, option);
        QFETCH(QString, environment);
        QFETCH(QString, kept);
        QFETCH(QString, taken);
        app::AppOptions options;
        options.line.comPaths[1] = option.toStdString();
        platform::PortMap fromEnvironment;
        if (!environment.isEmpty()) {
            fromEnvironment.setPath(1, environment.toStdString());
        }
        std::array<std::string, 4> keptPaths;
        keptPaths[1] = kept.toStdString();
        app::layKeptComPaths(options, keptPaths, fromEnvironment);
        QCOMPARE(QString::fromStdString(options.line.comPaths[1]), taken);
        QVERIFY(options.line.comPaths[0].empty());
    }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::GuiModelTest)
#include "gui_model_test.moc"
