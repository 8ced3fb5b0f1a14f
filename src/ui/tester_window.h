#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <optional>

#include "platform/port_map.h"
#include "ui/console_form.h"
#include "ui/console_link.h"
#include "ui/live_history.h"

class QLabel;

namespace ecuprobe::ui {

class LiveChartWindow;

struct ConsoleOptions {
    platform::PortMap ports;
    // The COM slot to select before "Начать" (0..3): the command line's, else the
    // one kept from the last console, else none, and "Начать" takes COM1.
    std::optional<int> comSlot;
    // Divides the poll periods; only the tests speed the poll up.
    std::uint32_t pollSpeedUp = 1;
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
    const LiveHistory& liveHistory() const { return history; }
    // The chart window, once "График" has opened it.
    LiveChartWindow* chart() const;
    bool isLinkClosed() const { return linkClosed; }

signals:
    // The link thread has handed back and closed the port; warning as LinkWorker::closed.
    void consoleClosed(const QString& warning);
    void linkStatusChanged(const QString& text);

public slots:
    // Escape and the close box; starts the close like every other way.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void showReport(const LinkReport& report);
    void showClickAnswer(const ClickAnswer& answer);
    void clicked(console::ControlId id);
    void comChosen(int index);
    void openChart();
    void beginClose();
    void closeLinkDone(const QString& warning);

    ConsoleForm controls;
    ConsoleLink consoleLink;
    LiveHistory history;
    QLabel* linkLine;
    QPointer<LiveChartWindow> chartWindow;
    bool closing = false;
    bool linkClosed = false;
};

}  // namespace ecuprobe::ui
