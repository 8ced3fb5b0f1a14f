#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "console/panel_controls.h"
#include "event_loop_probe.h"
#include "gui_support.h"
#include "ui/measured_dialog.h"
#include "ui/run_chart.h"

namespace ecuprobe::gui_testing {

namespace {

// A frame at 10 frames a second; the benchmark holds the figure to 16 ms.
constexpr qint64 longestAllowedGapMs = 100;
// Each silent tick costs the link thread about 0.7 s of real time-outs.
constexpr int silentTicksWatched = 2;

}  // namespace

// The GUI thread never waits for the ECU: with the line on the real clock, a
// silent ECU blocks the link thread for its time-outs, and a measured test for
// its whole run, while the window's event loop keeps turning, with and without
// a service's question open.
class ResponsivenessTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        openAlone(SimulatedLine::Time::realTime);
        QVERIFY(startConnected(*console, *log));
    }

    void cleanup() {
        line->ecu().setSilent(false);
        console->close();
        QVERIFY(waitFor([this] { return console.isNull(); }, 30000));
        drop();
    }

    void windowKeepsTurningWhileTheEcuIsSilent() {
        line->ecu().setSilent(true);
        probe.start();
        QVERIFY(silentTicksPass());
        probe.stop();
        QVERIFY2(probe.longestGapMs() <= longestAllowedGapMs,
                 qPrintable(QString::number(probe.longestGapMs())));
    }

    void windowKeepsTurningUnderAQuestionWhileTheEcuIsSilent() {
        console->link().runService([](console::TesterPanel&, reports::UserPrompts& ask) {
            ask.askYesNo("Очистка таблицы.", "?", false);
        });
        QPointer<QMessageBox> box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        line->ecu().setSilent(true);
        probe.start();
        QVERIFY(silentTicksPass());
        probe.stop();
        QVERIFY(box->isVisible());
        box->button(QMessageBox::No)->click();
        QVERIFY2(probe.longestGapMs() <= longestAllowedGapMs,
                 qPrintable(QString::number(probe.longestGapMs())));
    }

    void windowKeepsTurningWhileATestRuns() {
        line->ecu().setScenario(sim::Scenario::runup);
        ui::MeasuredDialog* dialog = openUnsavedDynamicTest(*console);
        QVERIFY(dialog != nullptr);
        probe.start();
        dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
        QVERIFY(waitFor([dialog] { return !dialog->isRunning(); }, 60000));
        probe.stop();
        QVERIFY(!dialog->chart()->shownRun().points.empty());
        dialog->reject();
        QVERIFY2(probe.longestGapMs() <= longestAllowedGapMs,
                 qPrintable(QString::number(probe.longestGapMs())));
    }

private:
    bool silentTicksPass() {
        const int before = log->ticks();
        return waitFor([&] { return log->ticks() >= before + silentTicksWatched; }, 20000);
    }

    EventLoopProbe probe;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ResponsivenessTest)
#include "responsiveness_test.moc"
