#include "ui/link_worker.h"

#include "console/latency_advice.h"
#include "link/frame_exchange.h"
#include "ui/gui_prompts.h"
#include "ui/qt_panel_timer.h"

namespace ecuprobe::ui {

namespace {

// MegaLogViewer and its kind open ".msl" logs; the tab-separated text opens anywhere.
const reports::SaveAsRequest driveLogRequest{
    "msl", "drive",
    "Лог поездки (*.msl)|*.msl|Текст с табуляцией (*.tsv;*.txt)|*.tsv;*.txt|Все файлы "
    "(*.*)|*.*||"};

}  // namespace

LinkWorker::LinkWorker(LinkThreadConfig linkSetup, PromptPresenter& presenter)
    : setup(std::move(linkSetup)),
      timer(new QtPanelTimer(this, setup.pollSpeedUp)),
      prompts(new GuiPrompts(presenter, closeRequested, this)) {
    qRegisterMetaType<LinkReport>();
    qRegisterMetaType<ClickAnswer>();
    connect(timer, &QtPanelTimer::fired, this, [this] { report(ReportCause::tick); });
}

LinkWorker::~LinkWorker() {
    // Drops a panel never closed through close(): its destructor hands back.
    panel.reset();
    if (linkPorts) {
        link::processLink().usePortMap(*linkPorts);
    }
}

void LinkWorker::open() {
    panel.emplace(*timer, *prompts);
    panel->ecuSession().stopWhen([this] { return closeRequested.load(); });
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
    ClickAnswer answer;
    const bool served = serve([this, id, &answer] { answer = answerTo(id, panel->onClick(id)); },
                              ReportCause::click);
    // A refused click is answered too, so that the window's busy cue ends.
    if (!served) {
        answer = ClickAnswer{};
        answer.id = id;
    }
    emit clickAnswered(answer);
}

ClickAnswer LinkWorker::answerTo(console::ControlId id, const console::ClickResult& result) {
    ClickAnswer answer{id,
                       result.outcome,
                       result.text,
                       result.dialog,
                       result.identification,
                       std::nullopt,
                       result.report,
                       {},
                       result.unanswered.text(),
                       {}};
    if (result.dialog == console::DialogKind::controlParameters) {
        answer.parameters = panel->controlParameterForm();
    }
    if (result.report == reports::ReportOutcome::saved) {
        answer.reportPath = reports::currentDumpPath;
    } else if (result.report == reports::ReportOutcome::reportFailed) {
        answer.reportProblem = reports::lastReportProblem;
    }
    return answer;
}

void LinkWorker::selectCom(int index) {
    serve([this, index] { panel->onComSelected(index); }, ReportCause::click);
}

void LinkWorker::movePeriod(int position) {
    serve([this, position] { panel->onPeriodChanged(position); }, ReportCause::click);
}

bool LinkWorker::runService(const Service& service) {
    return serve([this, &service] { service(*panel, *prompts); }, ReportCause::service);
}

void LinkWorker::mapPort(int slot, const std::string& path) {
    serve(
        [this, slot, &path] {
            if (!panel->snapshot().isEnabled(console::control::comPort) || slot < 0 ||
                slot >= platform::PortMap::portCount) {
                return;
            }
            setup.ports.setPath(slot, path);
            link::FrameExchange& line = link::processLink();
            if (!linkPorts) {
                linkPorts = line.portMap();
            }
            line.usePortMap(&setup.ports);
        },
        ReportCause::click);
}

// Taken for the next "Начать", which is offered whenever the ECU does not answer.
void LinkWorker::setNoEcho(bool on) {
    if (panel && (!panel->isStarted() || panel->ecuSession().connected() == 0)) {
        link::processLink().setNoEcho(on);
    }
}

void LinkWorker::startDriveLog() {
    serve(
        [this] {
            if (driveLog.running()) {
                return;
            }
            const std::optional<std::string> path = prompts->askSavePath(driveLogRequest);
            if (path && !closing &&
                !driveLog.start(*path, panel->ecuSession().clock(), panel->liveReadCount())) {
                emit driveLogEnded(QString::fromStdString(*path),
                                   QStringLiteral("Не возможно открыть файл."), 0);
            }
        },
        ReportCause::click);
}

void LinkWorker::stopDriveLog() {
    serve(
        [this] {
            if (driveLog.running()) {
                const bool written = driveLog.stop();
                endDriveLog(written ? QString() : QStringLiteral("Лог записан не полностью."));
            }
        },
        ReportCause::click);
}

void LinkWorker::pollDriveLog() {
    if (driveLog.running() &&
        !driveLog.afterPoll(panel->liveReadCount(), panel->panelFields().live)) {
        endDriveLog(QStringLiteral("Запись лога прервана: файл не записан полностью."));
    }
}

void LinkWorker::endDriveLog(const QString& problem) {
    emit driveLogEnded(QString::fromStdString(driveLog.path()), problem, driveLog.rows());
}

void LinkWorker::requestClose() {
    closeRequested = true;
}

void LinkWorker::close() {
    if (closedDone) {
        return;
    }
    closeRequested = true;
    closing = true;
    prompts->cancelAll();
    if (depth == 0) {
        finishClose();
    }
}

// A port closed under the console (the adapter unplugged) gets nothing sent;
// what the tester may still hold there is warned of all the same.
void LinkWorker::finishClose() {
    closedDone = true;
    QString warning;
    QString note;
    if (driveLog.running()) {
        driveLog.stop();
    }
    if (panel) {
        const bool handsBack = panel->isStarted() && panel->ecuSession().portOpen();
        if (!handsBack) {
            panel->abandon();
        }
        panel->onDestroy();
        const ecu::EcuSession& session = panel->ecuSession();
        const ecu::HandBackOutcome& handBack = session.lastHandBack();
        if (!session.owedControls().empty()) {
            warning = QString::fromStdString(ecu::owedWarning(session.owedControls()));
        } else if (handsBack && !handBack.complete()) {
            note = QString::fromStdString(ecu::handBackWarning(handBack));
        }
        panel.reset();
    }
    if (linkPorts) {
        link::processLink().usePortMap(*linkPorts);
        linkPorts.reset();
    }
    emit closed(warning, note);
}

void LinkWorker::report(ReportCause cause) {
    if (!panel) {
        return;
    }
    pollDriveLog();
    LinkReport made{panel->snapshot(), {}, cause, panel->ecuSession().tickMs(),
                    panel->takeNews(), {}};
    if (const auto slow = link::processLink().takeLatencyNotice()) {
        made.adapterAdvice = console::latencyAdvice(*slow);
    }
    made.status = status(made.snapshot);
    emit reported(made);
}

std::string LinkWorker::devicePath(const console::PanelSnapshot& shown) const {
    return setup.ports.path(shown.comSelection < 0 ? 0 : shown.comSelection);
}

LinkStatus LinkWorker::status(const console::PanelSnapshot& shown) {
    const ecu::EcuSession& session = panel->ecuSession();
    LinkStatus status;
    status.started = panel->isStarted();
    status.ecuAnswering = session.connected() != 0 && session.lastRequestAnswered();
    status.devicePath = devicePath(shown);
    status.traceBroken = setup.traceBroken && setup.traceBroken();
    if (driveLog.running()) {
        status.driveLogPath = driveLog.path();
        status.driveLogRows = driveLog.rows();
    }
    return status;
}

}  // namespace ecuprobe::ui
