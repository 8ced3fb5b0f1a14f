// Walks through the desktop tester's windows on the built-in simulator and
// saves each as a PNG, for the README: run under xvfb-run by scripts/screenshots.sh.
// Usage: ecuprobe-screenshots OUTPUT_DIR

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <clocale>
#include <functional>
#include <iostream>

#include "app/app_options.h"
#include "cli/line_setup.h"
#include "console/panel_controls.h"
#include "ui/connection_window.h"
#include "ui/live_chart_window.h"
#include "ui/main_window.h"
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
    qobject_cast<QAbstractButton*>(console.form().control(id))->click();
}

bool tour(ui::MainWindow& window, const QDir& into) {
    waitMs(300);
    bool saved = save(&window, into, "main_window.png");
    window.openConsole();
    ui::TesterWindow& console = *window.console();
    console.resize(console.sizeHint());
    waitMs(300);
    press(console, control::start);
    // The shortest period, so that the chart fills quickly.
    auto* down = console.form().upDown->findChild<QAbstractButton*>(QStringLiteral("down"));
    down->click();
    down->click();
    saved = waitUntil([&] { return console.liveHistory().size() >= 30; }, 60000) && saved;
    saved = save(&console, into, "console.png") && saved;
    console.form().chartButton->click();
    console.chart()->choose({control::FREQ, control::TWAT, control::INJ});
    console.chart()->resize(900, 480);
    waitMs(500);
    saved = save(console.chart(), into, "live_chart.png") && saved;
    console.chart()->close();
    console.close();
    waitUntil([&] { return window.console() == nullptr; }, 20000);
    window.showConnection();
    auto* scheme = window.findChild<ui::ConnectionWindow*>();
    waitMs(300);
    saved = save(scheme, into, "pc_connection.png") && saved;
    scheme->close();
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
    // Its own settings, so that the pictures never depend on a user's choices.
    QApplication::setOrganizationName(QStringLiteral("ecuprobe-screenshots"));
    QApplication::setApplicationName(QStringLiteral("ecuprobe-screenshots"));
    app::AppOptions options;
    std::vector<std::string> args{"--simulate", "coldstart", "--sim-faults", "13:20,131:60"};
    app::parseAppOptions(args, options, std::cout, std::cerr);
    cli::LineSetup line(options.line);
    if (!line.ready()) {
        std::cerr << "ecuprobe-screenshots: " << line.error() << '\n';
        return 1;
    }
    ui::MainWindow window(ui::ConsoleOptions{line.portMap(), 0, 1});
    window.resize(640, 360);
    window.show();
    const bool saved = tour(window, into);
    window.close();
    return saved ? 0 : 1;
}
