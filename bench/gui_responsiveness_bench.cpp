// How long the desktop tester's window goes without handling an event while the
// link thread waits out a silent ECU on the real clock, with and without a
// service's question open, while it runs a measured test, and how long the live
// chart holds it on each poll with ten minutes of six values shown. The target
// is one frame at 60 Hz.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <QElapsedTimer>

#include <cmath>
#include <cstdio>

#include "console/live_history.h"
#include "console/panel_controls.h"
#include "event_loop_probe.h"
#include "gui_support.h"
#include "ui/live_chart_window.h"
#include "ui/live_lanes.h"

namespace {

using namespace ecuprobe;
using namespace ecuprobe::gui_testing;

constexpr qint64 targetMs = 16;
constexpr int silentTicks = 3;

qint64 longestGapOverSilentTicks(const ReportLog& log) {
    EventLoopProbe probe;
    const int before = log.ticks();
    probe.start();
    waitFor([&] { return log.ticks() >= before + silentTicks; }, 30000);
    probe.stop();
    return probe.longestGapMs();
}

// A run-up of the dynamic test, from "Старт" to its results.
qint64 longestGapOverATestRun(ui::TesterWindow& console) {
    ui::MeasuredDialog* dialog = openUnsavedDynamicTest(console);
    if (dialog == nullptr) {
        return -1;
    }
    EventLoopProbe probe;
    probe.start();
    dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
    waitFor([dialog] { return !dialog->isRunning(); }, 60000);
    probe.stop();
    dialog->reject();
    return probe.longestGapMs();
}

console::PanelSnapshot sixValues(int tick) {
    using namespace console::control;
    console::PanelSnapshot snapshot;
    const double t = tick * 0.6;
    const auto text = [](double value) { return QString::number(value, 'f', 1).toStdString(); };
    snapshot.texts[FREQ] = text(800 + 2000 * std::abs(std::sin(t / 40)));
    snapshot.texts[TWAT] = text(60 + t / 30);
    snapshot.texts[THR] = text(30 * std::abs(std::sin(t / 15)));
    snapshot.texts[UOZ] = text(10 + 5 * std::sin(t / 7));
    snapshot.texts[NUACC] = text(13.8 + 0.3 * std::sin(t));
    snapshot.texts[INJ] = text(3 + std::sin(t / 5));
    return snapshot;
}

// What one poll costs the GUI thread in the chart: the new sample taken into
// the history and the picture, and the picture painted again, as the poll
// repeats at 600 ms over ten minutes already shown.
qint64 longestChartTickMs(double& meanMs) {
    using namespace console::control;
    console::LiveHistory history;
    constexpr int shownTicks = 1000;  // ten minutes at 600 ms
    constexpr int measuredTicks = 100;
    for (int tick = 0; tick < shownTicks; ++tick) {
        history.add(static_cast<std::uint32_t>(tick * 600), sixValues(tick));
    }
    ui::LiveChartWindow chart(history, nullptr);
    chart.choose({FREQ, TWAT, THR, UOZ, NUACC, INJ});
    chart.resize(1100, 720);
    chart.show();
    QApplication::processEvents();
    qint64 longestNs = 0;
    qint64 totalNs = 0;
    for (int tick = shownTicks; tick < shownTicks + measuredTicks; ++tick) {
        QElapsedTimer timer;
        timer.start();
        history.add(static_cast<std::uint32_t>(tick * 600), sixValues(tick));
        chart.refresh();
        chart.lanes()->repaint();
        const qint64 ns = timer.nsecsElapsed();
        longestNs = std::max(longestNs, ns);
        totalNs += ns;
    }
    meanMs = static_cast<double>(totalNs) / measuredTicks / 1e6;
    return (longestNs + 999999) / 1000000;
}

void report(const char* situation, qint64 gapMs) {
    std::printf("%-44s %4lld ms (target %lld ms) %s\n", situation, static_cast<long long>(gapMs),
                static_cast<long long>(targetMs), gapMs <= targetMs ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    prepareGuiTests();
    double meanMs = 0;
    std::printf("The live chart on each poll, 10 minutes of 6 values shown:\n");
    report("live chart tick (longest of 100)", longestChartTickMs(meanMs));
    std::printf("%-44s %6.1f ms\n", "live chart tick (mean)", meanMs);
    SimulatedLine line(SimulatedLine::Time::realTime);
    QPointer<ui::TesterWindow> console = new ui::TesterWindow(fastConsole(line), nullptr);
    console->setAttribute(Qt::WA_DeleteOnClose);
    console->show();
    ReportLog log(console->link());
    press(*console, console::control::start);
    if (!waitFor([&] { return !log.empty() && log.last().status.ecuAnswering; })) {
        std::fprintf(stderr, "gui_bench: the simulated ECU did not answer\n");
        return 1;
    }
    std::printf("Longest gap of the GUI thread's event loop (a silent ECU over %d polls):\n",
                silentTicks);
    line.ecu().setSilent(true);
    report("ECU silent", longestGapOverSilentTicks(log));
    console->link().runService([](console::TesterPanel&, reports::UserPrompts& ask) {
        ask.askYesNo("Очистка таблицы.", "?", false);
    });
    QPointer<QMessageBox> box = waitForWindow<QMessageBox>();
    report("ECU silent, a question open", longestGapOverSilentTicks(log));
    if (box) {
        box->button(QMessageBox::No)->click();
    }
    line.ecu().setSilent(false);
    line.ecu().setScenario(sim::Scenario::runup);
    waitFor([&] { return log.last().status.ecuAnswering; }, 30000);
    report("a measured test running", longestGapOverATestRun(*console));
    console->close();
    waitFor([&] { return console.isNull(); }, 30000);
    return 0;
}
