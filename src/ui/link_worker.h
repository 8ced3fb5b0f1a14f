#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "console/tester_panel.h"
#include "platform/port_map.h"
#include "reports/user_prompts.h"
#include "ui/link_report.h"

namespace ecuprobe::ui {

class GuiPrompts;
class PromptPresenter;
class QtPanelTimer;

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

    LinkWorker(platform::PortMap ports, PromptPresenter& presenter, std::uint32_t pollSpeedUp);
    ~LinkWorker() override;

    // Builds the panel; the first thing to run on the link thread.
    void open();
    void click(console::ControlId id);
    void selectCom(int index);
    void movePeriod(int position);
    void runService(const Service& service);
    // Hands control back and closes the port, after the service that is running
    // (its question, if any, answered Cancel); then emits closed().
    void close();

signals:
    void reported(const ecuprobe::ui::LinkReport& report);
    void clickAnswered(const ecuprobe::ui::ClickAnswer& answer);
    // warning: the hand-back warning when the ECU did not confirm it, else empty.
    void closed(const QString& warning);

private:
    // Runs one piece of work unless the panel is busy with another or closing;
    // false when refused.
    bool serve(const std::function<void()>& work, ReportCause cause);
    void report(ReportCause cause);
    LinkStatus status(const console::PanelSnapshot& shown);
    std::string devicePath(const console::PanelSnapshot& shown) const;
    void noteStart();
    void finishClose();

    platform::PortMap portMap;
    QtPanelTimer* timer;
    GuiPrompts* prompts;
    std::optional<console::TesterPanel> panel;
    std::string openFailure;
    int depth = 0;
    bool closing = false;
    bool closedDone = false;
};

}  // namespace ecuprobe::ui
