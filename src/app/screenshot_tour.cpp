// Walks through the desktop tester's windows on the built-in simulator and
// saves each as a PNG, for the README: run under xvfb-run by scripts/screenshots.sh,
// once for each screen size, and under Wine for a few pictures of the Windows build.
// Usage: ecuprobe-screenshots OUTPUT_DIR WIDTHxHEIGHT [PREFIX PICTURE...]
//   PREFIX PICTURE...: only those pictures ("console.png"), each named PREFIX + PICTURE.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <array>
#include <clocale>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/picture_folder.h"
#include "app/saved_runs_tour.h"
#include "console/panel_controls.h"
#include "console/run_descriptor.h"
#include "line/chosen_line.h"
#include "ui/about_box.h"
#include "ui/connection_window.h"
#include "ui/console_form.h"
#include "ui/control_parameter_dialog.h"
#include "ui/fault_decoding_dialog.h"
#include "ui/help_window.h"
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

// What a window may take of the screen: a taskbar below and its own title bar.
constexpr int taskbarHeight = 40;
constexpr int titleBarHeight = 30;
constexpr int dialogTimeoutMs = 20000;
constexpr int runTimeoutMs = 120000;

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

// The simulated car the pictures are taken on: the tester's own command-line options.
using Car = std::vector<std::string>;

const Car faultyColdCar{"--simulate", "coldstart", "--sim-faults", "13:20,131:60"};
const Car runUpCar{"--simulate", "runup"};
const Car roadCar{"--simulate", "road"};
const Car coastingCar{"--simulate", "coastdown"};

// The program on one simulated car, with the windows the pictures are taken of.
class Tour {
public:
    Tour(const Car& car, QSize screenSize) : screen(screenSize) {
        app::AppOptions options;
        app::parseAppOptions(car, options, std::cout, std::cerr);
        line = std::make_unique<line::ChosenLine>(options.line);
        if (!line->ready()) {
            std::cerr << "ecuprobe-screenshots: " << line->error() << '\n';
            return;
        }
        ui::ConsoleOptions consoleOptions{line->portMap(),
                                          0,
                                          1,
                                          {},
                                          {},
                                          [] {
                                              return std::vector<platform::SerialDeviceInfo>(); }};
        consoleOptions.simulatedSlot = line->simulatedSlot();
        window = std::make_unique<ui::MainWindow>(std::move(consoleOptions));
        window->resize(workArea());
        window->show();
        waitMs(300);
    }
    Tour(const Tour&) = delete;
    Tour& operator=(const Tour&) = delete;
    ~Tour() {
        if (window) {
            closeConsole();
            window->close();
        }
    }

    bool ready() const { return window != nullptr; }
    ui::MainWindow& mainWindow() { return *window; }
    // The screen less a taskbar and a title bar: what a maximised window gets.
    QSize workArea() const { return screen - QSize(0, taskbarHeight + titleBarHeight); }

    // The console, connected and polling at the shortest period.
    ui::TesterWindow& console() {
        if (window->console() != nullptr) {
            return *window->console();
        }
        window->openConsole();
        ui::TesterWindow& opened = *window->console();
        opened.resize(workArea());
        waitMs(300);
        press(control::start);
        auto* down = opened.form().upDown->findChild<QAbstractButton*>(QStringLiteral("down"));
        down->click();
        down->click();
        return opened;
    }

    void closeConsole() {
        if (window->console() != nullptr) {
            window->console()->close();
            waitUntil([this] { return window->console() == nullptr; }, dialogTimeoutMs);
        }
    }

    void press(console::ControlId id) {
        auto* button = qobject_cast<QAbstractButton*>(console().form().control(id));
        waitUntil([button] { return button->isEnabled(); }, dialogTimeoutMs);
        button->click();
    }

    // The dialog of that type once the console shows it; null after the timeout.
    template <typename Dialog>
    Dialog* shownDialog() {
        Dialog* found = nullptr;
        waitUntil(
            [&] {
                found = console().findChild<Dialog*>();
                return found != nullptr && found->isVisible();
            },
            dialogTimeoutMs);
        return found;
    }

    // The dialog a console button opens.
    template <typename Dialog>
    Dialog* dialogOf(console::ControlId opener) {
        press(opener);
        return shownDialog<Dialog>();
    }

private:
    QSize screen;
    std::unique_ptr<line::ChosenLine> line;
    std::unique_ptr<ui::MainWindow> window;
};

QWidget* liveChart(Tour& tour) {
    ui::TesterWindow& console = tour.console();
    waitUntil([&] { return console.liveHistory().size() >= 30; }, 60000);
    console.form().chartButton->click();
    console.chart()->choose({control::FREQ, control::TWAT, control::INJ});
    console.chart()->resize(ui::liveChartOpeningSize(tour.workArea()));
    console.chart()->lanes()->setCursorSeconds(console.liveHistory().newestSeconds() - 5);
    return console.chart();
}

QWidget* filledConsole(Tour& tour) {
    ui::TesterWindow& console = tour.console();
    waitUntil([&] { return console.liveHistory().size() >= 30; }, 60000);
    return &console;
}

// A window the main window opens, with the console closed.
template <typename Window, void (ui::MainWindow::*open)()>
QWidget* fromMainWindow(Tour& tour) {
    tour.closeConsole();
    (tour.mainWindow().*open)();
    return tour.mainWindow().findChild<Window*>();
}

// A run on the simulated car with its results not saved, and the dialog with its chart.
template <console::DialogKind kind, console::ControlId opener>
QWidget* measuredTest(Tour& tour) {
    const console::RunDescriptor& test = *console::measuredRun(kind);
    auto* dialog = tour.dialogOf<ui::MeasuredDialog>(opener);
    if (dialog == nullptr) {
        return nullptr;
    }
    dialog->findChild<QCheckBox*>(ui::controlName(test.save))->setChecked(false);
    const QString start =
        test.startId != 0 ? ui::controlName(test.startId) : QStringLiteral("start");
    dialog->findChild<QAbstractButton*>(start)->click();
    const bool ran =
        waitUntil([&] { return !dialog->chart()->shownRun().points.empty(); }, runTimeoutMs);
    return ran ? dialog : nullptr;
}

// One picture: its file, the car and screen it is taken on, and how its window is
// brought up. The tour grabs the window given back, then closes it.
struct Picture {
    const char* file;
    const Car* car;
    QSize screen;
    std::function<QWidget*(Tour&)> show;
};

const QSize laptop(1366, 768);
const QSize fullHd(1920, 1080);

const std::array pictures{
    Picture{"main_window.png", &faultyColdCar, laptop, [](Tour& t) { return &t.mainWindow(); }},
    Picture{"pc_connection.png", &faultyColdCar, laptop,
            fromMainWindow<ui::ConnectionWindow, &ui::MainWindow::showConnection>},
    Picture{"about.png", &faultyColdCar, laptop,
            fromMainWindow<ui::AboutBox, &ui::MainWindow::showAbout>},
    Picture{"help.png", &faultyColdCar, laptop,
            fromMainWindow<ui::HelpWindow, &ui::MainWindow::showHelp>},
    Picture{"console.png", &faultyColdCar, laptop, filledConsole},
    Picture{"live_chart.png", &faultyColdCar, laptop, liveChart},
    Picture{"fault_decoding.png", &faultyColdCar, laptop,
            [](Tour& t) { return t.dialogOf<ui::FaultDecodingDialog>(control::decodeFaults); }},
    Picture{"identification.png", &faultyColdCar, laptop,
            [](Tour& t) { return t.dialogOf<ui::IdentificationDialog>(control::identify); }},
    Picture{
        "control_parameters.png", &faultyColdCar, laptop,
        [](Tour& t) { return t.dialogOf<ui::ControlParameterDialog>(control::controlParameters); }},
    Picture{"dynamic_test.png", &runUpCar, laptop,
            measuredTest<console::DialogKind::dynamicTest, control::dynamicTest>},
    Picture{"acceleration_test.png", &roadCar, laptop,
            measuredTest<console::DialogKind::accelerationTest, control::accelerationTest>},
    Picture{"loss_test.png", &coastingCar, laptop,
            measuredTest<console::DialogKind::lossTest, control::lossTest>},
    Picture{"console_1920x1080.png", &faultyColdCar, fullHd, filledConsole},
};

// Grabs the picture's window and closes it, unless it is one the tour goes on with.
bool take(Tour& tour, const Picture& picture, const app::PictureFolder& into) {
    QPointer<QWidget> window = picture.show(tour);
    if (window == nullptr) {
        std::cerr << "ecuprobe-screenshots: no window for " << picture.file << '\n';
        return false;
    }
    waitMs(500);
    const bool saved = into.save(window->grab().toImage(), picture.file);
    if (window != &tour.mainWindow() && window != tour.mainWindow().console()) {
        window->close();
        waitUntil([&] { return window == nullptr || !window->isVisible(); }, dialogTimeoutMs);
    }
    return saved;
}

bool takeAll(QSize screen, const app::PictureFolder& into) {
    bool saved = true;
    std::unique_ptr<Tour> tour;
    const Car* onCar = nullptr;
    for (const Picture& picture : pictures) {
        if (picture.screen != screen || !into.wants(picture.file)) {
            continue;
        }
        if (picture.car != onCar) {
            tour.reset();
            tour = std::make_unique<Tour>(*picture.car, screen);
            onCar = picture.car;
        }
        saved = tour->ready() && take(*tour, picture, into) && saved;
    }
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$"))
            .match(argc == 3 || argc > 4 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (!size.hasMatch()) {
        std::cerr << "usage: ecuprobe-screenshots OUTPUT_DIR WIDTHxHEIGHT [PREFIX PICTURE...]\n";
        return 64;
    }
    QStringList chosen;
    for (int i = 4; i < argc; ++i) {
        chosen.append(QString::fromLocal8Bit(argv[i]));
    }
    const app::PictureFolder into(QDir(QString::fromLocal8Bit(argv[1])),
                                  argc > 4 ? QString::fromLocal8Bit(argv[3]) : QString(), chosen);
    const QSize screen(size.captured(1).toInt(), size.captured(2).toInt());
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ui::loadQtRussian(application);
    // Its own settings, so that the pictures never depend on a user's choices.
    QApplication::setOrganizationName(QStringLiteral("ecuprobe-screenshots"));
    QApplication::setApplicationName(QStringLiteral("ecuprobe-screenshots"));
    bool saved = takeAll(screen, into);
    if (screen == laptop) {
        // Its runs are made on a simulated engine of its own, in virtual time.
        ui::MainWindow window{ui::ConsoleOptions{}};
        window.show();
        const QSize workArea = screen - QSize(0, taskbarHeight + titleBarHeight);
        saved = app::savedRunsTour(window, workArea, into) && saved;
    }
    return saved ? 0 : 1;
}
