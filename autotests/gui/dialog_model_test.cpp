#include <QFile>
#include <QPointF>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "app/app_options.h"
#include "gui_support.h"
#include "platform/clock.h"
#include "ui/drive_log_recorder.h"
#include "ui/measured_run.h"

namespace ecuprobe::gui_testing {

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

// Samples of (tick, watched value); rpm and km/h both carry the value.
std::vector<measure::TestSample> samplesOf(const QList<QPointF>& ticksAndValues) {
    std::vector<measure::TestSample> samples;
    for (const QPointF& at : ticksAndValues) {
        measure::TestSample sample;
        sample.filled = 1;
        sample.tick = static_cast<std::uint32_t>(at.x());
        sample.freq = static_cast<std::int32_t>(at.y());
        sample.spd = static_cast<std::int32_t>(at.y()) / 100;
        samples.push_back(sample);
    }
    return samples;
}

QStringList linesOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace

// What the desktop tester's dialogs and console tools decide without a window:
// the chart of a run, the drive log's rows, the COM slots kept between runs.
class DialogModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void runCurveCountsSecondsFromTheStartCrossing_data() {
        QTest::addColumn<QList<QPointF>>("samples");
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::addColumn<bool>("speed");
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<double>("endSeconds");
        const QList<QPointF> runUp{{1000, 2040}, {1060, 3000}, {1120, 5600}};
        QTest::newRow("both crossings known")
            << runUp << 990.0 << 1110.0 << false
            << QList<QPointF>{{0.010, 2040}, {0.070, 3000}, {0.130, 5600}} << 0.120;
        QTest::newRow("no crossing known: from the first sample")
            << runUp << none << none << false
            << QList<QPointF>{{0.0, 2040}, {0.060, 3000}, {0.120, 5600}} << none;
        QTest::newRow("the road speed watched")
            << runUp << 990.0 << 1110.0 << true
            << QList<QPointF>{{0.010, 20}, {0.070, 30}, {0.130, 56}} << 0.120;
        QTest::newRow("the tick count wraps during the run")
            << QList<QPointF>{{4294967290.0, 2040}, {54, 3000}} << 4294967280.0 << 4294967326.0
            << false << QList<QPointF>{{0.010, 2040}, {0.070, 3000}} << 0.046;
        QTest::newRow("nothing recorded")
            << QList<QPointF>{} << none << none << false << QList<QPointF>{} << none;
    }
    void runCurveCountsSecondsFromTheStartCrossing() {
        QFETCH(QList<QPointF>, samples);
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        QFETCH(bool, speed);
        QFETCH(QList<QPointF>, points);
        QFETCH(double, endSeconds);
        const measure::CrossingTimes crossings{!std::isnan(startMs), !std::isnan(endMs),
                                               std::isnan(startMs) ? 0 : startMs,
                                               std::isnan(endMs) ? 0 : endMs};
        measure::TestResult record;
        record.startLimit = 2000;
        record.endLimit = 5500;
        const ui::RunCurve curve = ui::runCurve(samplesOf(samples), crossings, record, speed);
        QCOMPARE(curve.startLevel, 2000.0);
        QCOMPARE(curve.endLevel, 5500.0);
        QCOMPARE(curve.points.size(), static_cast<std::size_t>(points.size()));
        for (qsizetype i = 0; i < points.size(); ++i) {
            QCOMPARE(curve.points[static_cast<std::size_t>(i)].seconds, points[i].x());
            QCOMPARE(curve.points[static_cast<std::size_t>(i)].value, points[i].y());
        }
        QCOMPARE(curve.startSeconds.has_value(), !std::isnan(startMs) && !samples.isEmpty());
        QCOMPARE(curve.endSeconds.has_value(), !std::isnan(endSeconds));
        if (curve.endSeconds) {
            QCOMPARE(*curve.endSeconds, endSeconds);
        }
    }

    void driveLogWritesARowPerLiveReadAndOutWithinASecond() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("drive.msl"));
        platform::FakeClock clock(5000);
        ui::DriveLogRecorder recorder;
        QVERIFY(recorder.start(path.toStdString(), clock, 7));
        QCOMPARE(linesOf(path).size(), 2);
        ecu::LiveData live;
        live.FREQ = 840;
        QVERIFY(recorder.afterPoll(7, live));
        clock.advance(700);
        QVERIFY(recorder.afterPoll(8, live));
        QCOMPARE(recorder.rows(), std::size_t{1});
        QCOMPARE(linesOf(path).size(), 2);
        clock.advance(300);
        QVERIFY(recorder.afterPoll(8, live));
        const QStringList written = linesOf(path);
        QCOMPARE(written.size(), 3);
        QVERIFY2(written[2].startsWith(QStringLiteral("0.700\t")), qPrintable(written[2]));
        QCOMPARE(written[2].count(u'\t'), written[0].count(u'\t'));
        QVERIFY(recorder.stop());
        QVERIFY(!recorder.running());
        QCOMPARE(recorder.rows(), std::size_t{1});
        QCOMPARE(recorder.path(), path.toStdString());
    }

    void driveLogThatCannotBeWrittenDoesNotStart() {
        QTemporaryDir dir;
        platform::FakeClock clock;
        ui::DriveLogRecorder recorder;
        QVERIFY(!recorder.start(dir.filePath(QStringLiteral("missing/drive.msl")).toStdString(),
                                clock, 0));
        QVERIFY(!recorder.running());
        QVERIFY(recorder.afterPoll(1, ecu::LiveData{}));
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

QTEST_MAIN(ecuprobe::gui_testing::DialogModelTest)
#include "dialog_model_test.moc"
