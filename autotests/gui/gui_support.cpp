#include "gui_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#include "process_link.h"

namespace ecuprobe::gui_testing {

namespace {

QtMessageHandler testLibHandler = nullptr;

// The offscreen platform says this of every dialog it sizes or raises; it tells nothing.
void dropPlatformChatter(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("This plugin does not support "))) {
        return;
    }
    testLibHandler(type, context, text);
}

}  // namespace

void prepareGuiTests() {
    testLibHandler = qInstallMessageHandler(dropPlatformChatter);
    static QTemporaryDir settingsHome;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome.path());
    QApplication::setOrganizationName(QStringLiteral("ecuprobe-tests"));
    QApplication::setApplicationName(QStringLiteral("ecuprobe-tests"));
#ifdef _WIN32
    // The registry is one for every test program of the Wine prefix: each keeps
    // its settings in a file of its own, as elsewhere, and its recent files under
    // a name of its own, gone with the program.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QApplication::setApplicationName(
        QStringLiteral("ecuprobe-tests-%1").arg(QCoreApplication::applicationPid()));
    qAddPostRoutine([] {
        QSettings(
            QStringLiteral("HKEY_CURRENT_USER\\Software\\Local AppWizard-Generated Applications"),
            QSettings::NativeFormat)
            .remove(QCoreApplication::applicationName());
    });
#endif
    std::setlocale(LC_NUMERIC, "C");
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

SimulatedLine::SimulatedLine(Time time, sim::SimulatedEcuOptions options)
    : clock(time == Time::realTime ? std::unique_ptr<platform::Clock>(new platform::RealClock)
                                   : std::unique_ptr<platform::Clock>(new platform::FakeClock)),
      simulator(std::make_unique<sim::SimulatedEcu>(*clock, std::move(options))),
      line(std::make_unique<platform::InMemorySerialDevice>(*clock, *simulator)) {
    ecuprobe::testing::attachProcessLink(*line, *clock, ports);
}

SimulatedLine::~SimulatedLine() {
    ecuprobe::testing::detachProcessLink();
}

std::vector<Bytes> SimulatedLine::payloads() const {
    std::vector<Bytes> all;
    for (const sim::LoggedRequest& request : simulator->requestLog()) {
        all.push_back(request.payload);
    }
    return all;
}

ReportLog::ReportLog(ui::ConsoleLink& link) {
    connections = {
        QObject::connect(&link, &ui::ConsoleLink::reported, &link,
                         [this](const ui::LinkReport& report) { reports.push_back(report); }),
        QObject::connect(&link, &ui::ConsoleLink::clickAnswered, &link,
                         [this](const ui::ClickAnswer& answer) { answers.push_back(answer); }),
        QObject::connect(&link, &ui::ConsoleLink::closed, &link,
                         [this](const QString& warning) { closings.push_back(warning); }),
    };
}

ReportLog::~ReportLog() {
    for (const QMetaObject::Connection& connection : connections) {
        QObject::disconnect(connection);
    }
}

int ReportLog::ticks() const {
    return static_cast<int>(std::count_if(reports.begin(), reports.end(), [](const auto& report) {
        return report.cause == ui::ReportCause::tick;
    }));
}

ui::ConsoleOptions fastConsole(const SimulatedLine& line) {
    ui::ConsoleOptions options{line.ports, std::nullopt, pollSpeedUp};
    // The machine's own serial devices are none of the tests' business.
    options.findDevices = [] { return std::vector<platform::SerialDeviceInfo>(); };
    return options;
}

ui::TesterWindow* showConsole(const ui::ConsoleOptions& options) {
    auto* console = new ui::TesterWindow(options, nullptr);
    console->setAttribute(Qt::WA_DeleteOnClose);
    console->show();
    return console;
}

bool closeConsole(QPointer<ui::TesterWindow>& console) {
    if (console) {
        console->close();
    }
    return waitFor([&console] { return console.isNull(); });
}

bool startConnected(ui::TesterWindow& console, const ReportLog& log) {
    press(console, console::control::start);
    return waitFor([&log] { return !log.empty() && log.last().status.ecuAnswering; });
}

void ConsoleFixture::openAlone(SimulatedLine::Time time, sim::SimulatedEcuOptions car) {
    line = std::make_unique<SimulatedLine>(time, car);
    console = showConsole(fastConsole(*line));
    log = std::make_unique<ReportLog>(console->link());
}

void ConsoleFixture::openInShell() {
    line = std::make_unique<SimulatedLine>();
    shell = std::make_unique<ui::MainWindow>(fastConsole(*line));
    shell->show();
    shell->openConsole();
    console = shell->console();
    log = std::make_unique<ReportLog>(console->link());
}

bool ConsoleFixture::closeAll() {
    const bool closed = closeConsole(console);
    drop();
    return closed;
}

void ConsoleFixture::drop() {
    log.reset();
    shell.reset();
    line.reset();
}

QString shownCaption(QWidget& host, QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    for (QLabel* label : host.findChildren<QLabel*>()) {
        if (label->buddy() == widget) {
            return label->text();
        }
    }
    return {};
}

void press(ui::TesterWindow& console, console::ControlId id) {
    auto* button = qobject_cast<QAbstractButton*>(console.form().control(id));
    QVERIFY2(button != nullptr, qPrintable(ui::controlName(id)));
    // A control is enabled by the link thread's reports, as it would be for a person.
    QVERIFY2(waitFor([button] { return button->isEnabled(); }), qPrintable(ui::controlName(id)));
    button->click();
}

ui::MeasuredDialog* openUnsavedDynamicTest(ui::TesterWindow& console) {
    press(console, console::control::dynamicTest);
    auto* dialog = waitForWindow<ui::MeasuredDialog>();
    if (dialog != nullptr) {
        dialog->findChild<QCheckBox*>(QStringLiteral("c1090"))->setChecked(false);
    }
    return dialog;
}

void chooseFile(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->clear();
    QTest::keyClicks(name, path);
    static_cast<QDialog*>(dialog)->accept();
}

std::vector<Bytes> handBackPayloads() {
    return {{0x62, 0x09, 0x00}, {0x62, 0x0A, 0x00}, {0x62, 0x0B, 0x00},
            {0x62, 0x0C, 0x00}, {0x62, 0x0D, 0x00}, {0x62, 0x0E, 0x00}};
}

}  // namespace ecuprobe::gui_testing
