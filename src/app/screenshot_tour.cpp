// Walks through the desktop tester's windows on the built-in simulator and
// saves each as a PNG, for the README: run under xvfb-run by scripts/screenshots.sh.
// Usage: ecuprobe-screenshots OUTPUT_DIR

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <clocale>
#include <functional>
#include <iostream>

#include "app/app_options.h"
#include "app/saved_runs_tour.h"
#include "console/panel_controls.h"
#include "line/chosen_line.h"
#include "ui/connection_window.h"
#include "ui/control_parameter_dialog.h"
#include "ui/fault_decoding_dialog.h"
#include "ui/identification_dialog.h"
#include "ui/live_chart_window.h"
#include "ui/live_lanes.h"
#include "ui/main_window.h"
#include "ui/measured_dialog.h"
#include "ui/qt_russian.h"
#include "ui/run_chart.h"
#include "ui/up_down_control.h"

namespace {

using namespace ecuprobe;
namespace control = console::control;

void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        waitMs(50);
    }
    return true;
}

bool save(QWidget* window, const QDir& into, const char* name) {
    const QString path = into.filePath(QLatin1String(name));
    if (!window->grab().save(path, "PNG")) {
        std::cerr << "ecuprobe-screenshots: cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    return true;
}

void press(ui::TesterWindow& console, console::ControlId id) {
    auto* button = qobject_cast<QAbstractButton*>(console.form().control(id));
    waitUntil([button] { return button->isEnabled(); }, 20000);
    button->click();
}

// The dialog of that type once it is shown; null after the timeout.
template <typename Dialog>
Dialog* shownDialog(ui::TesterWindow& console) {
    Dialog* found = nullptr;
    waitUntil(
        [&] {
            found = console.findChild<Dialog*>();
            return found != nullptr && found->isVisible();
        },
        20000);
    return found;
}

// Grabs the dialog a console button opens, then closes it.
template <typename Dialog>
bool saveDialog(ui::TesterWindow& console, console::ControlId opener, const QDir& into,
                const char* name) {
    press(console, opener);
    Dialog* dialog = shownDialog<Dialog>(console);
    if (dialog == nullptr) {
        std::cerr << "ecuprobe-screenshots: no dialog for " << name << '\n';
        return false;
    }
    waitMs(300);
    const bool saved = save(dialog, into, name);
    dialog->reject();
    waitUntil([&] { return console.findChild<Dialog*>() == nullptr; }, 5000);
    return saved;
}

ui::TesterWindow& connectedConsole(ui::MainWindow& window) {
    window.openConsole();
    ui::TesterWindow& console = *window.console();
    console.resize(console.sizeHint());
    waitMs(300);
    press(console, control::start);
    // The shortest period, so that the chart fills quickly.
    auto* down = console.form().upDown->findChild<QAbstractButton*>(QStringLiteral("down"));
    down->click();
    down->click();
    return console;
}

void closeConsole(ui::MainWindow& window) {
    window.console()->close();
    waitUntil([&] { return window.console() == nullptr; }, 20000);
}

bool tour(ui::MainWindow& window, const QDir& into) {
    waitMs(300);
    bool saved = save(&window, into, "main_window.png");
    ui::TesterWindow& console = connectedConsole(window);
    saved = waitUntil([&] { return console.liveHistory().size() >= 30; }, 60000) && saved;
    saved = save(&console, into, "console.png") && saved;
    console.form().chartButton->click();
    console.chart()->choose({control::FREQ, control::TWAT, control::INJ});
    console.chart()->resize(ui::liveChartOpeningSize(QSize(1366, 728)));
    console.chart()->lanes()->setCursorSeconds(console.liveHistory().newestSeconds() - 5);
    waitMs(500);
    saved = save(console.chart(), into, "live_chart.png") && saved;
    console.chart()->close();
    saved = saveDialog<ui::FaultDecodingDialog>(console, control::decodeFaults, into,
                                                "fault_decoding.png") &&
            saved;
    saved = saveDialog<ui::IdentificationDialog>(console, control::identify, into,
                                                 "identification.png") &&
            saved;
    saved = saveDialog<ui::ControlParameterDialog>(console, control::controlParameters, into,
                                                   "control_parameters.png") &&
            saved;
    closeConsole(window);
    window.showConnection();
    auto* scheme = window.findChild<ui::ConnectionWindow*>();
    waitMs(300);
    saved = save(scheme, into, "pc_connection.png") && saved;
    scheme->close();
    return saved;
}

// A run-up on the simulated engine, its results not saved, and the dialog with its chart.
bool dynamicTestTour(ui::MainWindow& window, const QDir& into) {
    ui::TesterWindow& console = connectedConsole(window);
    press(console, control::dynamicTest);
    auto* dialog = shownDialog<ui::MeasuredDialog>(console);
    if (dialog == nullptr) {
        return false;
    }
    dialog->findChild<QCheckBox*>(QStringLiteral("c1090"))->setChecked(false);
    dialog->findChild<QAbstractButton*>(QStringLiteral("start"))->click();
    const bool ran = waitUntil([&] { return !dialog->chart()->shownRun().points.empty(); }, 60000);
    waitMs(500);
    const bool saved = ran && save(dialog, into, "dynamic_test.png");
    dialog->reject();
    closeConsole(window);
    return saved;
}

// Starts the built-in simulator with these options and shows the main window.
template <typename Walk>
bool onSimulator(std::vector<std::string> args, const QDir& into, Walk walk) {
    app::AppOptions options;
    app::parseAppOptions(std::move(args), options, std::cout, std::cerr);
    line::ChosenLine line(options.line);
    if (!line.ready()) {
        std::cerr << "ecuprobe-screenshots: " << line.error() << '\n';
        return false;
    }
    ui::MainWindow window(ui::ConsoleOptions{
        line.portMap(), 0, 1, {}, {}, [] { return std::vector<platform::SerialDeviceInfo>(); }});
    window.resize(640, 360);
    window.show();
    const bool saved = walk(window, into);
    window.close();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ecuprobe-screenshots OUTPUT_DIR\n";
        return 64;
    }
    const QDir into(QString::fromLocal8Bit(argv[1]));
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ui::loadQtRussian(application);
    // Its own settings, so that the pictures never depend on a user's choices.
    QApplication::setOrganizationName(QStringLiteral("ecuprobe-screenshots"));
    QApplication::setApplicationName(QStringLiteral("ecuprobe-screenshots"));
    bool saved =
        onSimulator({"--simulate", "coldstart", "--sim-faults", "13:20,131:60"}, into, tour);
    saved = onSimulator({"--simulate", "runup"}, into, dynamicTestTour) && saved;
    {
        // Its runs are made on a simulated engine of its own, in virtual time.
        ui::MainWindow window{ui::ConsoleOptions{}};
        window.show();
        saved = app::savedRunsTour(window, into) && saved;
    }
    return saved ? 0 : 1;
}
