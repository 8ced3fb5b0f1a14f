// How long the desktop tester's window goes without handling an event: while it
// polls an answering ECU, while the link thread waits out a silent one (with and
// without a service's question open), while it runs a measured test, and while
// the live chart shows ten minutes of six values. Each is repeated, and an idle
// control window is measured over the same spans as the machine's noise floor.
// The target is one frame at 60 Hz.
//
//   gui_bench [--runs N]

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "console/live_history.h"
#include "console/panel_controls.h"
#include "event_loop_probe.h"
#include "gui_support.h"
#include "ui/live_chart_window.h"
#include "ui/live_lanes.h"

namespace {

using namespace ecuprobe;
using namespace ecuprobe::gui_testing;

constexpr int targetMs = 16;
constexpr int checkEveryMs = 5;
constexpr int polls = 3;
constexpr double restRpm = 1200;

// The longest gaps of one situation's runs, and how long each run lasted.
struct Situation {
    std::string name;
    std::vector<double> gapsMs;
    std::vector<int> spansMs;
};

// Runs the GUI thread's event loop until done() or the time-out, looking every
// few ms, and records its longest gap. Unlike QTest::qWaitFor, which sleeps
// between its rounds of events, nothing here waits but the loop itself.
void probeUntil(const std::function<bool()>& done, int timeoutMs, Situation& into) {
    EventLoopProbe probe;
    QEventLoop loop;
    QTimer check;
    check.setInterval(checkEveryMs);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QElapsedTimer span;
    span.start();
    probe.start();
    check.start();
    loop.exec();
    probe.stop();
    into.gapsMs.push_back(static_cast<double>(probe.longestGapMs()));
    into.spansMs.push_back(static_cast<int>(span.elapsed()));
}

void probeOverPolls(const ReportLog& log, Situation& into) {
    const int before = log.ticks();
    probeUntil([&] { return log.ticks() >= before + polls; }, 30000, into);
}

// A run-up of the dynamic test, from "Старт" to its results, the engine first
// back near idle.
void probeATestRun(ui::TesterWindow& console, SimulatedLine& line, Situation& into) {
    waitFor([&] { return line.ecu().truth().rpm < restRpm; }, 30000);
    ui::MeasuredDialog* dialog = openUnsavedDynamicTest(console);
    if (dialog == nullptr) {
        return;
    }
    dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
    probeUntil([dialog] { return !dialog->isRunning(); }, 60000, into);
    dialog->reject();
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

// The live chart open over ten minutes of six values at the 600 ms poll, taking
// a new sample as the console hands it over; polled faster than the console
// would, so that a run sees many of them. tickMs gets what each one cost.
class ChartFeed {
public:
    ChartFeed() : chart(history, nullptr) {
        using namespace console::control;
        for (; tick < shownTicks; ++tick) {
            history.add(static_cast<std::uint32_t>(tick * 600), sixValues(tick));
        }
        chart.choose({FREQ, TWAT, THR, UOZ, NUACC, INJ});
        chart.resize(1100, 720);
        chart.show();
        QObject::connect(&feed, &QTimer::timeout, &chart, [this] { takeOne(); });
    }

    void probe(Situation& into) {
        const int until = tick + ticksARun;
        feed.start(feedEveryMs);
        probeUntil([&] { return tick >= until; }, 30000, into);
        feed.stop();
    }
    std::vector<double> tickMs;

private:
    static constexpr int shownTicks = 1000;  // ten minutes at 600 ms
    static constexpr int ticksARun = 20;
    static constexpr int feedEveryMs = 50;

    void takeOne() {
        QElapsedTimer cost;
        cost.start();
        history.add(static_cast<std::uint32_t>(tick * 600), sixValues(tick));
        chart.refresh();
        chart.lanes()->repaint();
        ++tick;
        tickMs.push_back(static_cast<double>(cost.nsecsElapsed()) / 1e6);
    }

    console::LiveHistory history;
    ui::LiveChartWindow chart;
    QTimer feed;
    int tick = 0;
};

// The plain window the others are held against: the same spans of the event
// loop with nothing to do.
Situation idleControl(const Situation& measured) {
    Situation control{"idle control", {}, {}};
    QWidget window;
    window.resize(1100, 720);
    window.show();
    for (int spanMs : measured.spansMs) {
        probeUntil([] { return false; }, spanMs, control);
    }
    return control;
}

// Polling an answering ECU, then a silent one, then a silent one behind a question.
void probeThePolls(int runs, SimulatedLine& line, ui::TesterWindow& console, const ReportLog& log,
                   std::vector<Situation>& into) {
    Situation polling{"polling, the ECU answering", {}, {}};
    Situation silent{"the ECU silent", {}, {}};
    Situation asking{"the ECU silent, a question open", {}, {}};
    for (int i = 0; i < runs; ++i) {
        probeOverPolls(log, polling);
    }
    line.ecu().setSilent(true);
    for (int i = 0; i < runs; ++i) {
        probeOverPolls(log, silent);
    }
    console.link().runService([](console::TesterPanel&, reports::UserPrompts& ask) {
        ask.askYesNo("Очистка таблицы.", "?", false);
    });
    QPointer<QMessageBox> box = waitForWindow<QMessageBox>();
    for (int i = 0; i < runs; ++i) {
        probeOverPolls(log, asking);
    }
    if (box) {
        box->button(QMessageBox::No)->click();
    }
    line.ecu().setSilent(false);
    into.insert(into.end(), {polling, silent, asking});
}

// The console's situations, each `runs` times; false when the ECU never answered.
bool probeTheConsole(int runs, std::vector<Situation>& into) {
    SimulatedLine line(SimulatedLine::Time::realTime);
    QPointer<ui::TesterWindow> console = showConsole(fastConsole(line));
    ReportLog log(console->link());
    if (!startConnected(*console, log)) {
        return false;
    }
    probeThePolls(runs, line, *console, log, into);
    line.ecu().setScenario(sim::Scenario::runup);
    waitFor([&] { return log.last().status.ecuAnswering; }, 30000);
    Situation testRun{"a measured test running", {}, {}};
    for (int i = 0; i < runs; ++i) {
        probeATestRun(*console, line, testRun);
    }
    into.push_back(testRun);
    closeConsole(console);
    return true;
}

void printGaps(const Situation& measured) {
    const Situation control = idleControl(measured);
    const std::optional<bench::Spread> gaps = bench::spreadOf(measured.gapsMs);
    std::printf("%-40s %-22s %-22s %s\n", measured.name.c_str(), bench::spreadText(gaps, 0).c_str(),
                bench::spreadText(bench::spreadOf(control.gapsMs), 0).c_str(),
                gaps && gaps->median <= targetMs ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    constexpr int defaultRuns = 5;
    constexpr int maxRuns = 100;
    const std::optional<bench::RunOptions> options = bench::runOptions(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), defaultRuns,
        maxRuns, false);
    if (!options) {
        std::fprintf(stderr, "usage: gui_bench [--runs N (1-%d)]\n", maxRuns);
        return 2;
    }
    const int runs = options->runs;
    prepareGuiTests();
    std::vector<Situation> situations;
    if (!probeTheConsole(runs, situations)) {
        std::fprintf(stderr, "gui_bench: the simulated ECU did not answer\n");
        return 1;
    }
    Situation chart{"the live chart, 10 minutes of 6 values", {}, {}};
    ChartFeed feed;
    for (int i = 0; i < runs; ++i) {
        feed.probe(chart);
    }
    situations.push_back(chart);
    std::printf(
        "Longest gap of the GUI thread's event loop, ms: median [lowest .. highest] of %d "
        "runs\n(a run: %d polls, a whole test run, or 20 chart samples; ok / OVER: the "
        "median against\n%d ms, one frame at 60 Hz; the idle control: a plain window over the "
        "same spans)\n\n",
        runs, polls, targetMs);
    std::printf("%-40s %-22s %-22s\n", "situation", "window", "idle control");
    std::fflush(stdout);
    for (const Situation& situation : situations) {
        printGaps(situation);
    }
    std::printf("\n%-40s %s\n", "one chart sample (add, refresh, repaint), ms",
                bench::spreadText(bench::spreadOf(feed.tickMs), 2).c_str());
    return 0;
}
