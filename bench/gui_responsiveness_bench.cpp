// How long the desktop tester's window goes without handling an event while the
// link thread waits out a silent ECU on the real clock, with and without a
// service's question open, and while it runs a measured test. The target is one
// frame at 60 Hz.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <cstdio>

#include "console/panel_controls.h"
#include "event_loop_probe.h"
#include "gui_support.h"

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

void report(const char* situation, qint64 gapMs) {
    std::printf("%-44s %4lld ms (target %lld ms) %s\n", situation, static_cast<long long>(gapMs),
                static_cast<long long>(targetMs), gapMs <= targetMs ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    prepareGuiTests();
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
