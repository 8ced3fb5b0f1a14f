#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QGraphicsTextItem>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <array>
#include <cmath>
#include <csignal>
#include <sstream>
#include <string>

#include "app/app_options.h"
#include "app/stop_signal_notifier.h"
#include "console/live_history.h"
#include "console/panel_controls.h"
#include "gui_support.h"
#ifndef _WIN32
#include "terminating_signals.h"
#endif
#include "ui/live_chart_window.h"
#include "ui/live_lanes.h"
#include "ui/run_chart.h"
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

void verifyRoundAxesAndWholeTitles(ui::TestRunChart& chart) {
    QStringList texts;
    for (QGraphicsItem* item : chart.scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) {
            texts.append(text->toPlainText());
        }
    }
    for (QAbstractAxis* any : chart.chart()->axes()) {
        auto* axis = static_cast<QValueAxis*>(any);
        QVERIFY2(texts.contains(axis->titleText()), qPrintable(texts.join(u'|')));
        QCOMPARE(axis->tickType(), QValueAxis::TicksDynamic);
        const double step = axis->tickInterval();
        for (const double end : {axis->min(), axis->max()}) {
            QVERIFY2(std::abs(end / step - std::round(end / step)) < 1e-6,
                     qPrintable(QString::number(end) + u'/' + QString::number(step)));
        }
        const double firstDigit = step / std::pow(10.0, std::floor(std::log10(step)));
        QVERIFY2(std::abs(firstDigit - 1) < 1e-9 || std::abs(firstDigit - 2) < 1e-9 ||
                     std::abs(firstDigit - 5) < 1e-9,
                 qPrintable(QString::number(step)));
    }
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
        const auto drawn = [&chart] { return chart.lanes()->lanes().front().points.size(); };
        QCOMPARE(chart.lanes()->lanes().size(), std::size_t{2});
        chart.setPaused(true);
        history.add(1000, liveValues("900", "90"));
        chart.refresh();
        QCOMPARE(drawn(), std::size_t{1});
        chart.setPaused(false);
        QCOMPARE(drawn(), std::size_t{2});
    }

    // Each poll adds its sample to every lane and drops what left the shown span.
    void chartTakesEachNewSampleAndDropsTheOld() {
        console::LiveHistory history;
        for (std::uint32_t ms = 0; ms <= 60000; ms += 600) {
            history.add(ms, liveValues(ms == 30000 ? "-" : "800", "90"), 1700000000000 + ms);
        }
        ui::LiveChartWindow chart(history, nullptr);
        chart.choose({control::FREQ, control::TWAT});
        chart.findChild<QComboBox*>(QStringLiteral("span"))->setCurrentIndex(0);  // 1 minute
        // In the console's order: TWAT, then FREQ.
        const std::vector<ui::LiveLanes::Lane>& lanes = chart.lanes()->lanes();
        QCOMPARE(lanes[1].points.size(), std::size_t{100});  // the "-" is no number
        QCOMPARE(lanes[0].points.size(), std::size_t{101});
        history.add(60600, liveValues("1500", "91"), 1700000060600);
        chart.refresh();
        QCOMPARE(lanes[1].points.size(), std::size_t{100});
        QCOMPARE(lanes[1].points.back().value, 1500.0);
        QCOMPARE(lanes[0].points.front().seconds, 0.6);
        QCOMPARE(lanes[1].unit, QStringLiteral("об/мин"));
    }

    void chartCursorReadsEveryLaneAtOneMoment() {
        console::LiveHistory history;
        const qint64 start = QDateTime(QDate(2024, 5, 6), QTime(12, 30, 0)).toMSecsSinceEpoch();
        history.add(0, liveValues("800", "90"), start);
        history.add(600, liveValues("900", "91"), start + 600);
        ui::LiveChartWindow chart(history, nullptr);
        chart.choose({control::FREQ, control::TWAT});
        chart.lanes()->setCursorSeconds(0.5);
        const QString reading = chart.lanes()->cursorReading();
        QVERIFY2(reading.startsWith(QStringLiteral("12:30:00")), qPrintable(reading));
        QVERIFY2(reading.contains(QStringLiteral("Обороты (FREQ): 900 об/мин")),
                 qPrintable(reading));
        QVERIFY2(reading.contains(QStringLiteral("Темп. Охл. (TWAT): 91")), qPrintable(reading));
        chart.lanes()->setCursorSeconds(std::nullopt);
        QVERIFY(chart.lanes()->cursorReading().isEmpty());
    }

    void savedChartNamesTheDateTheEcuAndTheValues() {
        console::LiveHistory history;
        console::PanelSnapshot shown = liveValues("800", "90");
        shown.texts[control::statusText] = "ЭБУ Микас 7.1";
        history.add(0, shown, 1700000000000);
        ui::LiveChartWindow chart(history, nullptr);
        chart.choose({control::FREQ, control::TWAT});
        const QString caption = chart.exportCaption();
        QVERIFY2(caption.contains(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))),
                 qPrintable(caption));
        QVERIFY2(caption.contains(QStringLiteral("ЭБУ Микас 7.1")), qPrintable(caption));
        QVERIFY2(caption.contains(QStringLiteral("Темп. Охл. (TWAT), Обороты (FREQ)")) ||
                     caption.contains(QStringLiteral("Обороты (FREQ), Темп. Охл. (TWAT)")),
                 qPrintable(caption));
    }

    void chartOpensLargeYetWithinTheScreen_data() {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("opened");
        QTest::newRow("1366x768 laptop") << QSize(1366, 728) << QSize(1100, 720);
        QTest::newRow("1920x1080") << QSize(1920, 1040) << QSize(1100, 720);
        QTest::newRow("1024x600 netbook") << QSize(1024, 570) << QSize(1024, 570);
        QTest::newRow("800x600") << QSize(800, 570) << QSize(800, 570);
    }
    void chartOpensLargeYetWithinTheScreen() {
        QFETCH(QSize, available);
        QFETCH(QSize, opened);
        QCOMPARE(ui::liveChartOpeningSize(available), opened);
    }

    // Axis titles drawn whole, round ends and ticks, before a run and after one,
    // and the title names both durations of the run.
    void runChartReadsBeforeAndAfterARun() {
        ui::TestRunChart chart(QStringLiteral("Обороты"), QStringLiteral("об/мин"),
                               QStringLiteral("Время разгона(сек.):"), nullptr);
        chart.resize(chart.minimumSize());
        chart.show();
        chart.showLevels(2000, 5500);
        QApplication::processEvents();
        verifyRoundAxesAndWholeTitles(chart);
        const auto axes = chart.chart()->axes(Qt::Vertical);
        QVERIFY(static_cast<QValueAxis*>(axes.front())->min() <= 2000);
        QVERIFY(static_cast<QValueAxis*>(axes.front())->max() >= 5500);
        console::RunCurve curve;
        curve.startLevel = 2000;
        curve.endLevel = 5500;
        curve.points = {{-0.04, 1950}, {0.56, 3120}, {1.16, 4480}, {5.36, 5560}};
        curve.startSeconds = 0;
        curve.endSeconds = 5.312;
        curve.detectedSeconds = 5.4;
        chart.showRun(curve);
        QApplication::processEvents();
        verifyRoundAxesAndWholeTitles(chart);
        const QString title = chart.chart()->title();
        QVERIFY2(
            title.contains(QStringLiteral("Время разгона(сек.): 5.4 с (по отсчётам на уровнях)")),
            qPrintable(title));
        QVERIFY2(title.contains(
                     QStringLiteral("Между интерполированными пересечениями уровней: 5.312 с")),
                 qPrintable(title));
        chart.clear();
        QCOMPARE(chart.chart()->title(), QStringLiteral("Тест ещё не проводился"));
        QVERIFY(chart.shownRun().points.empty());
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

#ifndef _WIN32
    // Each would otherwise end the program without the hand-back.
    void stopSignalReachesTheGuiThreadAsAQtSignal_data() {
        QTest::addColumn<int>("signal");
        for (const int signal : testing_support::terminatingSignals()) {
            QTest::newRow(testing_support::signalName(signal).c_str()) << signal;
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
#endif

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
