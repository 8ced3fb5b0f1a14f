#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "console/drive_log_recorder.h"
#include "console/tester_panel.h"
#include "platform/port_map.h"
#include "reports/user_prompts.h"
#include "ui/link_report.h"

namespace ecuprobe::ui {

class GuiPrompts;
class PromptPresenter;
class QtPanelTimer;

// What a console's link thread starts with.
struct LinkThreadConfig {
    platform::PortMap ports;
    // Divides the poll periods: the tests poll a line on virtual time fast.
    std::uint32_t pollSpeedUp = 1;
    // Whether the wire trace has lost a line; asked on the link thread, which writes it.
    std::function<bool()> traceBroken;
};

// The console's core on the link thread: it owns the TesterPanel with its
// EcuSession and poll timer, takes the window's clicks, runs services and posts
// a LinkReport after every tick, click and service. Its operations run on the
// thread it was moved to; post them there with QMetaObject::invokeMethod.
class LinkWorker final : public QObject {
    Q_OBJECT

public:
    // A service started from the window: it runs on the link thread with the
    // panel and the prompts, and may ask questions while the poll goes on.
    using Service = std::function<void(console::TesterPanel&, reports::UserPrompts&)>;

    LinkWorker(LinkThreadConfig setup, PromptPresenter& presenter);
    ~LinkWorker() override;

    // Builds the panel; the first thing to run on the link thread.
    void open();
    void click(console::ControlId id);
    void selectCom(int index);
    void movePeriod(int position);
    // False when refused: another service holds the panel, or it is closing.
    bool runService(const Service& service);
    // Puts a COM slot (0..3) on another device; only while a port can be chosen.
    void mapPort(int slot, const std::string& path);
    // "Запись лога": asks where through the prompts, then logs every live read.
    void startDriveLog();
    void stopDriveLog();
    // Hands control back and closes the port, after the service that is running
    // (its question, if any, answered Cancel); then emits closed().
    void close();
    // Safe from any thread, and called before close() is posted: from now on the
    // session withholds every write but the hand-back and every question, open
    // or still to come, is answered Cancel, even before close() runs.
    void requestClose();

signals:
    void reported(const ecuprobe::ui::LinkReport& report);
    void clickAnswered(const ecuprobe::ui::ClickAnswer& answer);
    // A drive log has ended; problem says what went wrong, empty when all was written.
    void driveLogEnded(const QString& path, const QString& problem, quint64 rows);
    // warning: for a box, when the tester may still hold controls over the ECU;
    // note: for the status line, when the ECU did not confirm a hand-back of
    // nothing held. Each empty otherwise.
    void closed(const QString& warning, const QString& note);

private:
    // Runs one piece of work unless the panel is busy with another or closing;
    // false when refused.
    bool serve(const std::function<void()>& work, ReportCause cause);
    void report(ReportCause cause);
    ClickAnswer answerTo(console::ControlId id, const console::ClickResult& result);
    LinkStatus status(const console::PanelSnapshot& shown);
    std::string devicePath(const console::PanelSnapshot& shown) const;
    void pollDriveLog();
    void endDriveLog(const QString& problem);
    void finishClose();

    LinkThreadConfig setup;
    QtPanelTimer* timer;
    GuiPrompts* prompts;
    std::optional<console::TesterPanel> panel;
    console::DriveLogRecorder driveLog;
    // The link's own port map while this console has put it on setup.ports.
    std::optional<const platform::PortMap*> linkPorts;
    int depth = 0;
    std::atomic<bool> closeRequested{false};
    bool closing = false;
    bool closedDone = false;
};

}  // namespace ecuprobe::ui
