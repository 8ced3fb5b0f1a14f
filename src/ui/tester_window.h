#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/live_freshness.h"
#include "console/live_history.h"
#include "console/panel_switches.h"
#include "platform/port_map.h"
#include "platform/serial_device_list.h"
#include "ui/console_form.h"
#include "ui/console_link.h"
#include "ui/service_cue.h"

namespace ecuprobe::ui {

class HelpWindow;
class LiveChartWindow;

struct ConsoleOptions {
    platform::PortMap ports;
    // The COM slot to select before "Начать" (0..3): the command line's, else the
    // one kept from the last console, else none, and "Начать" takes COM1.
    std::optional<int> comSlot;
    // Divides the poll periods; only the tests speed the poll up.
    std::uint32_t pollSpeedUp = 1;
    // Whether the wire trace has lost a line, asked on the link thread; and its file.
    std::function<bool()> traceBroken = {};
    std::string tracePath = {};
    // The serial devices of the machine, for the COM box; the tests give their own.
    std::function<std::vector<platform::SerialDeviceInfo>()> findDevices = [] {
        return platform::listSerialDevices();
    };
    // --simulate: the slot the built-in simulated ECU serves, named so rather than
    // by its temporary pseudo-terminal, which no device scan finds.
    std::optional<int> simulatedSlot = {};
    // --no-echo: every adapter is taken as one without echo, whatever was kept for it.
    bool noEcho = false;
};

// The "Тестер" console: shows what its link thread reports and posts each click
// there. Closing it by any way first hands control back on the link thread; the
// window goes only when that is done, and says so through consoleClosed().
class TesterWindow final : public QDialog {
    Q_OBJECT

public:
    TesterWindow(const ConsoleOptions& options, QWidget* parent);
    ~TesterWindow() override;

    ConsoleForm& form() { return controls; }
    ConsoleLink& link() { return consoleLink; }
    const console::LiveHistory& liveHistory() const { return history; }
    // The chart window, once "График" has opened it.
    LiveChartWindow* chart() const;
    bool isLinkClosed() const { return linkClosed; }

signals:
    // The link thread has handed back and closed the port; warning and note as
    // LinkWorker::closed.
    void consoleClosed(const QString& warning, const QString& note);
    void linkStatusChanged(const QString& text);
    // A COM slot was mapped to a detected device; the next console starts so too.
    void portMapped(int slot, const QString& path);

public slots:
    // Escape: asks first while a session runs, then starts the close like every
    // other way.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void showReport(const LinkReport& report);
    void showClickAnswer(const ClickAnswer& answer);
    void openDialog(const ClickAnswer& answer);
    void showIdentification(const ClickAnswer& answer);
    // The busy cue of the services a click starts that take a while.
    void cueService(console::ControlId id);
    void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text);
    void clicked(console::ControlId id);
    void comChosen(int index);
    void showComSlots();
    void offerDevices();
    void offerNoEcho(QMenu* menu, int slot);
    // The chosen slot's adapter, as its echo setting is kept by.
    std::string chosenDevicePath() const;
    // keep: the mapping stays for the next start of the program.
    void mapSlot(int slot, const std::string& path, bool keep);
    void driveLogClicked();
    // The line under "Запись лога", from the last report and the test dialogs.
    void showDriveLogState();
    void driveLogEnded(const QString& path, const QString& problem, quint64 rows);
    void warnOfBrokenTrace(const LinkStatus& status);
    void showNews(const LinkReport& report);
    void openChart();
    void openHelp();
    void askEndSession();
    void stopTests();
    void beginClose();
    void closeLinkDone(const QString& warning, const QString& note);

    ConsoleForm controls;
    ServiceCue cue{*this, controls};
    ConsoleLink consoleLink;
    console::LiveHistory history;
    QPointer<LiveChartWindow> chartWindow;
    QPointer<HelpWindow> helpWindow;
    QPointer<QMessageBox> endQuestion;
    console::LiveFreshness freshness;
    // What the COM box's tooltips and mapping menu tell of.
    platform::PortMap ports;
    std::function<std::vector<platform::SerialDeviceInfo>()> findDevices;
    std::vector<platform::SerialDeviceInfo> devices;
    std::string tracePath;
    bool noEchoEverywhere = false;
    bool traceWarned = false;
    // The hand-back news on the status line, and the outputs it spoke of.
    QString outputsNews;
    std::optional<console::OutputsShown> outputsAtNews;
    bool driveLogRunning = false;
    LinkStatus lastStatus;
    bool sessionStarted = false;
    bool closing = false;
    bool linkClosed = false;
};

}  // namespace ecuprobe::ui
