#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "sim/simulated_ecu.h"
#include "ui/console_link.h"
#include "ui/link_report.h"
#include "ui/main_window.h"
#include "ui/measured_dialog.h"
#include "ui/tester_window.h"

namespace ecuprobe::gui_testing {

using Bytes = std::vector<std::uint8_t>;

// What the poll periods are divided by in the tests: a 2 s period fires every 20 ms.
inline constexpr std::uint32_t pollSpeedUp = 100;

// Every GUI test program: settings in a directory of its own that goes away
// with the program, and C's number format as the tester's main() sets it.
void prepareGuiTests();

// Waits for done() while the GUI thread's events run; false after timeoutMs.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000);

// The visible window of that type, once one is shown; null after the timeout.
template <typename Window>
Window* waitForWindow(int timeoutMs = 10000) {
    Window* found = nullptr;
    waitFor(
        [&found] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* typed = qobject_cast<Window*>(window);
                    typed != nullptr && typed->isVisible()) {
                    found = typed;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

// The process-wide link on an in-memory line to the simulated ECU, on virtual
// time (or, for the responsiveness tests, on the real clock). The link, the
// busy flag and the chosen port are left closed and clear afterwards.
class SimulatedLine {
public:
    enum class Time { virtualTime, realTime };

    explicit SimulatedLine(Time time = Time::virtualTime, sim::SimulatedEcuOptions options = {});
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;
    ~SimulatedLine();

    sim::SimulatedEcu& ecu() { return *simulator; }
    platform::InMemorySerialDevice& device() { return *line; }
    // The request payloads the ECU has received so far, in order.
    std::vector<Bytes> payloads() const;

    platform::PortMap ports;

private:
    std::unique_ptr<platform::Clock> clock;
    std::unique_ptr<sim::SimulatedEcu> simulator;
    std::unique_ptr<platform::InMemorySerialDevice> line;
};

// Keeps every report a console link posts, while it lives.
class ReportLog {
public:
    explicit ReportLog(ui::ConsoleLink& link);
    ReportLog(const ReportLog&) = delete;
    ReportLog& operator=(const ReportLog&) = delete;
    ~ReportLog();

    int ticks() const;
    bool empty() const { return reports.empty(); }
    const ui::LinkReport& last() const { return reports.back(); }

    std::vector<ui::LinkReport> reports;
    std::vector<ui::ClickAnswer> answers;
    std::vector<QString> closings;

private:
    std::vector<QMetaObject::Connection> connections;
};

// The console on a simulated line, polled fast, with no serial device found.
ui::ConsoleOptions fastConsole(const SimulatedLine& line);

// A console window of its own, deleted when it closes.
ui::TesterWindow* showConsole(const ui::ConsoleOptions& options);
// Closes it as a person would and waits until it is gone, its hand-back done.
bool closeConsole(QPointer<ui::TesterWindow>& console);
// Presses "Начать" and waits until the ECU answers.
bool startConnected(ui::TesterWindow& console, const ReportLog& log);

// The text a person reads for a control: its own (a button's), or its label's.
QString shownCaption(QWidget& host, QWidget* widget);

// Clicks a control of the console, as the user would, once it is enabled.
void press(ui::TesterWindow& console, console::ControlId id);

// What the console tests share: a simulated line, a console window on it polled
// fast (of its own, or in the main window) and the reports its link posts. A test
// class derives from it, opens in init() and closes in cleanup().
class ConsoleFixture : public QObject {
protected:
    // A console window of its own on a new line.
    void openAlone(SimulatedLine::Time time = SimulatedLine::Time::virtualTime,
                   sim::SimulatedEcuOptions car = {});
    // The console in the main window, as the program opens it.
    void openInShell();
    // Closes the console as a person would, waits until its hand-back is done and
    // drops the rest; false when it did not close.
    bool closeAll();
    // Drops the reports, the main window and the line.
    void drop();

    std::unique_ptr<SimulatedLine> line;
    std::unique_ptr<ui::MainWindow> shell;
    QPointer<ui::TesterWindow> console;
    std::unique_ptr<ReportLog> log;
};

// Opens the dynamic test from a connected console with "Сохранить" cleared, so
// that a run writes nothing; null when the dialog did not come.
ui::MeasuredDialog* openUnsavedDynamicTest(ui::TesterWindow& console);

// Types a path into a file dialog's name field and accepts it, as a person would.
void chooseFile(QFileDialog* dialog, const QString& path);

// The six writes that hand every control back, as the ECU receives them.
std::vector<Bytes> handBackPayloads();

}  // namespace ecuprobe::gui_testing
