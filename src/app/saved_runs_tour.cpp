#include "app/saved_runs_tour.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iostream>

#include "app/picture_folder.h"
#include "console/drive_log.h"
#include "console/measured_form.h"
#include "ecu/ecu_session.h"
#include "link/frame_exchange.h"
#include "platform/in_memory_serial_device.h"
#include "platform/utf8_path.h"
#include "reports/measured_report.h"
#include "reports/tester_dump.h"
#include "sim/simulated_ecu.h"
#include "ui/comparison_window.h"
#include "ui/drive_log_window.h"
#include "ui/live_lanes.h"
#include "ui/main_window.h"
#include "ui/tester_dump_window.h"

namespace ecuprobe::app {

namespace {

// The first run-up's calendar second: 8 December 2024, 08:00 UTC.
constexpr std::time_t firstRunCalendar = 1733644800;
// The road log: read every 200 ms, the car idles 5 s, drives off and stops
// within half a minute, then idles again.
constexpr std::uint32_t logPeriodMs = 200;
constexpr std::uint32_t idleBeforeDriveMs = 5000;
constexpr std::uint32_t roadLogMs = 40000;
// Where the picture reads every lane: the car gathering speed. On a tick of the
// time axis, so that the cursor's time covers that tick's label and no other.
constexpr double cursorSeconds = 10.0;

// Answers the report's questions as a mechanic would: the dump is chosen, the comment typed.
class TypedAnswers final : public reports::UserPrompts {
public:
    explicit TypedAnswers(std::string typed) : comment(std::move(typed)) {}
    std::optional<std::string> askSavePath(const reports::SaveAsRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> askComment(std::size_t) override { return comment; }
    bool askYesNo(std::string_view, std::string_view, bool) override { return false; }
    void showMessage(std::string_view, std::string_view text, reports::MessageIcon) override {
        std::cerr << "ecuprobe-screenshots: " << text << '\n';
    }

private:
    std::string comment;
};

// The simulated engine on the process link, in virtual time from that calendar
// second, for as long as it lives.
class SimulatedLine {
public:
    SimulatedLine(const sim::SimulatedEcuOptions& options, std::time_t calendar)
        : clock(0, calendar), simulator(clock, options), device(clock, simulator) {
        link::processLink().detach();
        link::processLink().attach(device, clock, ports);
        ecu::chosenPortNumber = 2;
    }
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;
    ~SimulatedLine() {
        link::processLink().detach();
        ecu::chosenPortNumber = 0;
        ecu::exchangeBusy = 0;
    }

    platform::FakeClock clock;
    sim::SimulatedEcu simulator;

private:
    platform::InMemorySerialDevice device;
    const platform::PortMap ports;
};

// A run-up saved into the current folder's dump; the state report first when asked.
// The ECU that answers later is sampled less often: the two runs differ.
bool savedRunUp(std::uint32_t answerDelayMs, const std::string& comment, bool stateReport) {
    sim::SimulatedEcuOptions options;
    options.scenario = sim::Scenario::runup;
    options.answerDelayMs = answerDelayMs;
    const SimulatedLine line(options, firstRunCalendar + answerDelayMs * 600);
    ecu::EcuSession session;
    TypedAnswers answers(comment);
    if (session.connect() != ecu::ServiceResult::done) {
        return false;
    }
    if (stateReport) {
        reports::TesterDump(session, answers).saveStateReport();
    }
    console::MeasuredForm form(console::dynamicRun, session, answers);
    measure::TestSampler sampler(session);
    const console::TestRun run = form.run(sampler);
    return run.result == measure::SampleResult::Ok && run.report == reports::ReportOutcome::saved;
}

// A drive on the simulated road logged as `ecuprobe-cli log --period 200` logs it:
// a few seconds idling, off from standstill to about 100 km/h, braked to a stop.
bool savedRoadLog(const QString& path) {
    sim::SimulatedEcuOptions options;
    options.scenario = sim::Scenario::road;
    SimulatedLine line(options, firstRunCalendar - 3600);
    ecu::EcuSession session;
    if (session.connect() != ecu::ServiceResult::done) {
        return false;
    }
    std::ofstream file(platform::utf8Path(path.toStdString()),
                       std::ios::out | std::ios::trunc | std::ios::binary);
    console::DriveLog log(file, line.clock);
    log.start();
    const std::uint32_t startMs = line.clock.tickMs();
    bool driving = false;
    for (std::uint32_t now = startMs; now - startMs < roadLogMs; now = line.clock.tickMs()) {
        if (!driving && now - startMs >= idleBeforeDriveMs) {
            line.simulator.startManoeuvre();
            driving = true;
        }
        if (session.readLiveData() == ecu::ReadResult::read) {
            log.add(session.liveData());
        }
        log.flushIfDue();
        const std::uint32_t nextMs = now + logPeriodMs;
        line.clock.advance(nextMs - std::min(nextMs, line.clock.tickMs()));
    }
    const bool written = log.finish();
    file.close();
    return written && !file.fail() && log.rowCount() > 0;
}

// The printed page as a printer draws it, at 110 dpi on white.
QImage pageImage(const ui::ComparisonWindow& comparison) {
    QImage page(910, 1286, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    ui::paintComparisonPage(painter, QRectF(page.rect()), comparison.content());
    return page;
}

// The window File > Open gives for that file; null when it did not open.
template <typename View>
View* opened(ui::MainWindow& window, const QStringList& paths) {
    window.openFiles(paths);
    auto* view = window.findChild<View*>();
    if (view == nullptr) {
        std::cerr << "ecuprobe-screenshots: " << paths.join(u' ').toStdString()
                  << " did not open\n";
    }
    return view;
}

bool comparisonPictures(ui::MainWindow& window, const QStringList& runs,
                        const PictureFolder& into) {
    auto* comparison = opened<ui::ComparisonWindow>(window, runs);
    if (comparison == nullptr) {
        return false;
    }
    comparison->resize(1100, 720);
    QApplication::processEvents();
    bool saved = into.save(comparison->grab().toImage(), "comparison.png");
    saved = into.save(pageImage(*comparison), "comparison_page.png") && saved;
    comparison->close();
    return saved;
}

// The dump as it opens: its reports listed, the state report shown.
bool dumpPicture(ui::MainWindow& window, const QString& dump, const PictureFolder& into) {
    auto* view = opened<ui::TesterDumpWindow>(window, {dump});
    if (view == nullptr) {
        return false;
    }
    QApplication::processEvents();
    const bool saved = into.save(view->grab().toImage(), "tester_dump.png");
    view->close();
    return saved;
}

// The road log as it opens on a laptop, the cursor early in the drive.
bool driveLogPicture(ui::MainWindow& window, const QString& log, QSize workArea,
                     const PictureFolder& into) {
    auto* view = opened<ui::DriveLogWindow>(window, {log});
    if (view == nullptr) {
        return false;
    }
    view->resize(ui::liveChartOpeningSize(workArea));
    view->lanes()->setCursorSeconds(cursorSeconds);
    QApplication::processEvents();
    const bool saved = into.save(view->grab().toImage(), "drive_log.png");
    view->close();
    return saved;
}

}  // namespace

bool savedRunsTour(ui::MainWindow& window, QSize workArea, const PictureFolder& into) {
    QTemporaryDir scratch;
    const QString dump = scratch.filePath(QStringLiteral("ГАЗ-3110.tdm"));
    const QString log = scratch.filePath(QStringLiteral("поездка.tsv"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    reports::currentDumpPath = dump.toStdString();
    const bool ran = savedRunUp(0, "До замены свечей", true) &&
                     savedRunUp(30, "После замены свечей, зазор 0,9 мм", false);
    reports::currentDumpPath.clear();
    QDir::setCurrent(previous);
    QStringList runs;
    for (const QString& name : QDir(scratch.path()).entryList({QStringLiteral("*.dmp")})) {
        runs.append(scratch.filePath(name));
    }
    if (!ran || runs.size() != 2) {
        std::cerr << "ecuprobe-screenshots: the run-ups were not saved\n";
        return false;
    }
    if (!savedRoadLog(log)) {
        std::cerr << "ecuprobe-screenshots: the drive log was not saved\n";
        return false;
    }
    bool saved = comparisonPictures(window, runs, into);
    saved = dumpPicture(window, dump, into) && saved;
    return driveLogPicture(window, log, workArea, into) && saved;
}

}  // namespace ecuprobe::app
