// How long a saved drive log of an hour takes to open in its window (read,
// laid into lanes, first painted), and how long each step of scrolling and
// zooming holds the GUI thread. The log is written by the recorder itself, one
// read every 50 ms with every column filled: more than a K-line at 10400 baud
// can deliver. Targets: a second to open, one frame at 60 Hz per step. The open
// is repeated and every step timed: each figure is median [lowest .. highest].

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "console/drive_log.h"
#include "gui_support.h"
#include "platform/clock.h"
#include "review/drive_log_file.h"
#include "ui/drive_log_window.h"
#include "ui/live_lanes.h"

namespace {

using namespace ecuprobe;

constexpr std::uint32_t readEveryMs = 50;
constexpr int logMinutes = 60;
constexpr double openTargetMs = 1000;
constexpr double stepTargetMs = 16;
constexpr int openRuns = 3;

std::string hourOfDriving() {
    platform::FakeClock clock;
    std::ostringstream bytes;
    console::DriveLog log(bytes, clock);
    log.start();
    ecu::LiveData data;
    constexpr int reads = logMinutes * 60 * 1000 / static_cast<int>(readEveryMs);
    for (int read = 0; read < reads; ++read) {
        const double t = read * (readEveryMs / 1000.0);
        data.FREQ = static_cast<std::uint32_t>(800 + 2500 * std::abs(std::sin(t / 40)));
        data.TWAT = static_cast<std::int16_t>(20 + std::min(70.0, t / 10));
        data.THR = static_cast<std::uint8_t>(40 * std::abs(std::sin(t / 15)));
        data.SPD = static_cast<std::uint8_t>(90 * std::abs(std::sin(t / 120)));
        data.UOZ = static_cast<std::int8_t>(10 + 8 * std::sin(t / 7));
        data.INJ = static_cast<float>(3 + std::sin(t / 5));
        log.add(data);
        clock.advance(readEveryMs);
    }
    log.finish();
    return bytes.str();
}

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The median held to the target: one slow outlier on a shared machine is noise.
void report(const char* what, const std::vector<double>& ms, double target) {
    const std::optional<bench::Spread> spread = bench::spreadOf(ms);
    std::printf("%-44s %-26s (target %4.0f ms) %s\n", what, bench::spreadText(spread, 1).c_str(),
                target, spread && spread->median <= target ? "ok" : "OVER");
}

// Each step: the view moved or zoomed, then painted at once.
template <typename Step>
void measureSteps(const char* what, ecuprobe::ui::DriveLogWindow& window, int steps, Step step) {
    QImage canvas(window.lanes()->size(), QImage::Format_RGB32);
    std::vector<double> stepMs;
    for (int at = 0; at < steps; ++at) {
        QElapsedTimer timer;
        timer.start();
        step(at);
        // Painted into an image: the offscreen platform may skip a widget's repaint.
        window.lanes()->render(&canvas);
        stepMs.push_back(elapsedMs(timer));
    }
    std::printf("%s, %d steps:\n", what, steps);
    report("  a step, ms", stepMs, stepTargetMs);
}

// Read, laid into lanes and first painted; the time it took goes to openMs.
std::unique_ptr<ui::DriveLogWindow> openWindow(const std::string& bytes,
                                               std::vector<double>& openMs) {
    QElapsedTimer opening;
    opening.start();
    review::ReadError error;
    std::optional<review::DriveLogTable> log = review::readDriveLog(bytes, error);
    if (!log) {
        std::fprintf(stderr, "drive_log_bench: %s\n", review::errorText(error).c_str());
        return nullptr;
    }
    auto window =
        std::make_unique<ui::DriveLogWindow>(std::move(*log), QStringLiteral("bench.tsv"));
    window->resize(1366, 728);
    window->show();
    QApplication::processEvents();
    QImage firstPicture(window->lanes()->size(), QImage::Format_RGB32);
    window->lanes()->render(&firstPicture);
    openMs.push_back(elapsedMs(opening));
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    gui_testing::prepareGuiTests();
    const std::string bytes = hourOfDriving();
    std::printf("A drive log of %d min, a read every %u ms: %zu bytes\n", logMinutes, readEveryMs,
                bytes.size());
    std::vector<double> openMs;
    std::unique_ptr<ui::DriveLogWindow> shown;
    for (int run = 0; run < openRuns; ++run) {
        shown.reset();
        shown = openWindow(bytes, openMs);
        if (!shown) {
            return 1;
        }
    }
    ui::DriveLogWindow& window = *shown;
    std::printf("%zu lanes shown, %d opens\n", window.lanes()->lanes().size(), openRuns);
    report("open: read, lanes built, first painted, ms", openMs, openTargetMs);

    measureSteps("The whole hour repainted", window, 20, [](int) {});
    window.showAll();
    for (int press = 0; press < 12; ++press) {
        window.zoomIn();  // about 4 minutes shown
    }
    auto* scroller = window.findChild<QScrollBar*>(QStringLiteral("scroller"));
    measureSteps("Scrolling a few minutes' view along the hour", window, 200, [scroller](int) {
        scroller->setValue(scroller->value() + scroller->singleStep());
    });
    measureSteps("Zooming in and out about the middle", window, 40, [&window](int at) {
        if (at % 20 < 10) {
            window.zoomOut();
        } else {
            window.zoomIn();
        }
    });
    return 0;
}
