#include "ui/link_worker.h"

#include "cli/device_check.h"
#include "link/frame_exchange.h"
#include "ui/gui_prompts.h"
#include "ui/qt_panel_timer.h"

namespace ecuprobe::ui {

LinkWorker::LinkWorker(platform::PortMap ports, PromptPresenter& presenter,
                       std::uint32_t pollSpeedUp)
    : portMap(std::move(ports)),
      timer(new QtPanelTimer(this, pollSpeedUp)),
      prompts(new GuiPrompts(presenter, this)) {
    qRegisterMetaType<LinkReport>();
    qRegisterMetaType<ClickAnswer>();
    connect(timer, &QtPanelTimer::fired, this, [this] { report(ReportCause::tick); });
}

LinkWorker::~LinkWorker() {
    // Drops a panel never closed through close(): its destructor hands back.
    panel.reset();
}

void LinkWorker::open() {
    panel.emplace(*timer, *prompts);
    report(ReportCause::opened);
}

bool LinkWorker::serve(const std::function<void()>& work, ReportCause cause) {
    // Under a service's question this thread runs a nested event loop; a click
    // queued before the dialog appeared must not start a second service inside it.
    if (!panel || closing || depth > 0) {
        return false;
    }
    ++depth;
    work();
    --depth;
    report(cause);
    if (closing) {
        finishClose();
    }
    return true;
}

void LinkWorker::click(console::ControlId id) {
    console::ClickResult result;
    const bool served = serve(
        [this, id, &result] {
            result = panel->onClick(id);
            if (id == console::control::start && result.outcome == console::ClickOutcome::done) {
                noteStart();
            }
        },
        ReportCause::click);
    if (served) {
        emit clickAnswered(ClickAnswer{id, result.outcome, result.text});
    }
}

void LinkWorker::selectCom(int index) {
    serve([this, index] { panel->onComSelected(index); }, ReportCause::click);
}

void LinkWorker::movePeriod(int position) {
    serve([this, position] { panel->onPeriodChanged(position); }, ReportCause::click);
}

void LinkWorker::runService(const Service& service) {
    serve([this, &service] { service(*panel, *prompts); }, ReportCause::service);
}

void LinkWorker::noteStart() {
    if (link::processLink().isOpen == 0) {
        openFailure = cli::describeOpenFailure(devicePath(panel->snapshot()));
    }
}

void LinkWorker::close() {
    if (closedDone) {
        return;
    }
    closing = true;
    prompts->cancelAll();
    if (depth == 0) {
        finishClose();
    }
}

void LinkWorker::finishClose() {
    closedDone = true;
    QString warning;
    if (panel) {
        if (panel->started != 0 && link::processLink().isOpen == 0) {
            // Nothing was taken over on a port that never opened.
            panel->abandon();
        }
        panel->onDestroy();
        const ecu::HandBackOutcome& handBack = panel->ecuSession().lastHandBack();
        if (handBack.attempted && !handBack.complete()) {
            warning = QString::fromStdString(ecu::handBackWarning(handBack));
        }
        panel.reset();
    }
    emit closed(warning);
}

void LinkWorker::report(ReportCause cause) {
    if (!panel) {
        return;
    }
    LinkReport made{panel->snapshot(), {}, cause, link::processLink().clock().tickMs()};
    made.status = status(made.snapshot);
    emit reported(made);
}

std::string LinkWorker::devicePath(const console::PanelSnapshot& shown) const {
    return portMap.path(shown.comSelection < 0 ? 0 : shown.comSelection);
}

LinkStatus LinkWorker::status(const console::PanelSnapshot& shown) {
    const link::FrameExchange& line = link::processLink();
    const ecu::EcuSession& session = panel->ecuSession();
    LinkStatus status;
    status.started = panel->started != 0;
    status.portOpen = line.isOpen != 0;
    status.deviceGone = line.deviceGone();
    status.ecuAnswering = session.connected != 0 && session.lastRequestAnswered();
    status.devicePath = devicePath(shown);
    status.openFailure = openFailure;
    return status;
}

}  // namespace ecuprobe::ui
