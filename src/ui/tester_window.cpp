#include "ui/tester_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <ctime>

#include "console/drive_log_recorder.h"
#include "ui/com_port_devices.h"
#include "ui/help_window.h"
#include "ui/live_chart_window.h"
#include "ui/measured_dialog.h"
#include "ui/qt_text.h"
#include "ui/up_down_control.h"

namespace ecuprobe::ui {

namespace {

const char* const geometryKey = "console/geometry";
LinkThreadConfig linkThreadConfigOf(const ConsoleOptions& options) {
    return LinkThreadConfig{options.ports, options.pollSpeedUp, options.traceBroken};
}

}  // namespace

TesterWindow::TesterWindow(const ConsoleOptions& options, QWidget* parent)
    : QDialog(parent),
      controls(*this),
      consoleLink(linkThreadConfigOf(options), this),
      ports(options.ports),
      findDevices(options.findDevices),
      tracePath(options.tracePath),
      noEchoEverywhere(options.noEcho) {
    setObjectName(QStringLiteral("tester"));
    setWindowTitle(toQString(console::dialogTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    if (findDevices) {
        devices = findDevices();
    }
    showComSlots();
    controls.show(console::PanelSnapshot{});
    connectControls();
    restoreGeometry(QSettings().value(geometryKey).toByteArray());
    if (const std::optional<int> slot = options.comSlot ? options.comSlot : keptComSlot()) {
        consoleLink.selectCom(*slot);
    }
}

TesterWindow::~TesterWindow() {
    // A run in progress would hold the link thread, and this window, for minutes.
    stopTests();
}

LiveChartWindow* TesterWindow::chart() const {
    return chartWindow;
}

void TesterWindow::connectControls() {
    for (const auto& [id, widget] : controls.controls()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = id] { clicked(id); });
        }
    }
    connect(controls.comBox, &QComboBox::activated, this, &TesterWindow::comChosen);
    connect(controls.upDown, &UpDownControl::stepped, this,
            [this](int position) { consoleLink.movePeriod(position); });
    connect(controls.chartButton, &QPushButton::clicked, this, &TesterWindow::openChart);
    connect(controls.driveLogButton, &QPushButton::clicked, this, &TesterWindow::driveLogClicked);
    connect(controls.comMapButton->menu(), &QMenu::aboutToShow, this, &TesterWindow::offerDevices);
    connect(&consoleLink, &ConsoleLink::reported, this, &TesterWindow::showReport);
    connect(&consoleLink, &ConsoleLink::clickAnswered, this, &TesterWindow::showClickAnswer);
    connect(&consoleLink, &ConsoleLink::driveLogEnded, this, &TesterWindow::driveLogEnded);
    connect(&consoleLink, &ConsoleLink::closed, this, &TesterWindow::closeLinkDone);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &TesterWindow::openHelp);
}

void TesterWindow::clicked(console::ControlId id) {
    // A box shows what the ECU accepted: the click itself changes nothing until
    // the link thread reports the outcome.
    if (auto* box = qobject_cast<QCheckBox*>(controls.control(id))) {
        box->setChecked(!box->isChecked());
    }
    cueService(id);
    if (id == console::control::start) {
        consoleLink.setNoEcho(noEchoEverywhere || keptNoEcho(chosenDevicePath()));
    }
    consoleLink.click(id);
}

void TesterWindow::comChosen(int index) {
    keepComSlot(index);
    consoleLink.selectCom(index);
}

void TesterWindow::showComSlots() {
    for (int slot = 0; slot < platform::PortMap::portCount; ++slot) {
        controls.comBox->setItemText(slot, comSlotEntry(slot, ports, devices));
        controls.comBox->setItemData(slot, comSlotTip(slot, ports, devices), Qt::ToolTipRole);
    }
    // The list opens wide enough for the devices; the box itself keeps its width.
    QAbstractItemView* list = controls.comBox->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) +
                          list->verticalScrollBar()->sizeHint().width());
}

// Looks again each time the menu opens: the adapter may just have been plugged in.
void TesterWindow::offerDevices() {
    if (findDevices) {
        devices = findDevices();
    }
    showComSlots();
    QMenu* menu = controls.comMapButton->menu();
    menu->clear();
    const int slot = std::max(controls.comBox->currentIndex(), 0);
    for (const platform::SerialDeviceInfo& device : devices) {
        QAction* item =
            menu->addAction(QStringLiteral("COM%1 → %2").arg(slot + 1).arg(deviceTitle(device)));
        const std::string path = mappedPath(device);
        connect(item, &QAction::triggered, this, [this, slot, path] { mapSlot(slot, path, true); });
    }
    if (devices.empty()) {
        menu->addAction(QStringLiteral("Адаптер не найден"))->setEnabled(false);
    }
    // A kept mapping to an adapter that is gone for good would otherwise stay.
    if (!keptComPaths()[static_cast<std::size_t>(slot)].empty()) {
        menu->addSeparator();
        const std::string usual = platform::PortMap::fromEnvironment().path(slot);
        QAction* forget = menu->addAction(QStringLiteral("COM%1 → %2 (без назначения)")
                                              .arg(slot + 1)
                                              .arg(QString::fromStdString(usual)));
        connect(forget, &QAction::triggered, this, [this, slot, usual] {
            forgetComPath(slot);
            mapSlot(slot, usual, false);
        });
    }
    offerNoEcho(menu, slot);
}

std::string TesterWindow::chosenDevicePath() const {
    return ports.path(std::max(controls.comBox->currentIndex(), 0));
}

// Kept by the adapter rather than the slot, so that it follows a cable mapped to another COM.
void TesterWindow::offerNoEcho(QMenu* menu, int slot) {
    menu->addSeparator();
    menu->setToolTipsVisible(true);
    QAction* item = menu->addAction(QStringLiteral("Адаптер без эха"));
    item->setObjectName(QStringLiteral("noEchoItem"));
    item->setCheckable(true);
    const std::string path = ports.path(slot);
    item->setChecked(noEchoEverywhere || keptNoEcho(path));
    item->setEnabled(!noEchoEverywhere);
    item->setToolTip(noEchoEverywhere
                         ? QStringLiteral("Задано в командной строке (--no-echo)")
                         : QStringLiteral("Адаптер %1 не возвращает отправленные байты: ответ "
                                          "ЭБУ читается без эха. Действует со следующего «Начать»")
                               .arg(QString::fromStdString(path)));
    connect(item, &QAction::toggled, this, [path](bool on) { keepNoEcho(path, on); });
}

void TesterWindow::mapSlot(int slot, const std::string& path, bool keep) {
    ports.setPath(slot, path);
    if (keep) {
        keepComPath(slot, path);
    }
    consoleLink.mapPort(slot, path);
    showComSlots();
    comChosen(slot);
    emit portMapped(slot, QString::fromStdString(path));
}

void TesterWindow::showReport(const LinkReport& report) {
    if (closing) {
        return;
    }
    sessionStarted = report.status.started;
    freshness.update(report.status.started, report.status.ecuAnswering, std::time(nullptr));
    console::PanelSnapshot shown = report.snapshot;
    freshness.blankUnread(shown);
    controls.show(shown);
    cue.holdCommands();
    controls.showStale(freshness.stale(), QString::fromStdString(freshness.note()));
    controls.comMapButton->setEnabled(controls.comBox->isEnabled());
    if (controls.showLink(report.snapshot.link)) {
        emit linkStatusChanged(controls.linkState->text());
    }
    lastStatus = report.status;
    showDriveLogState();
    driveLogRunning = !report.status.driveLogPath.empty();
    controls.driveLogButton->setChecked(driveLogRunning);
    controls.driveLogButton->setToolTip(
        driveLogRunning ? QStringLiteral("Лог пишется в %1, строк: %2")
                              .arg(QString::fromStdString(report.status.driveLogPath))
                              .arg(report.status.driveLogRows)
                        : QStringLiteral("Записывать живые значения в файл для просмотра логов"));
    warnOfBrokenTrace(report.status);
    showNews(report);
    if (report.cause == ReportCause::tick && report.status.ecuAnswering) {
        history.add(report.atMs, report.snapshot, QDateTime::currentMSecsSinceEpoch());
        if (chartWindow) {
            chartWindow->refresh();
        }
    }
}

// The hand-back news outweighs the adapter's advice. A text about the outputs
// goes as soon as they change (cut again, handed back, the link lost): beside
// them it would contradict what they show.
void TesterWindow::showNews(const LinkReport& report) {
    const console::OutputsShown outputs = console::outputsShown(report.snapshot);
    if (!report.news.empty()) {
        outputsNews = QString::fromStdString(report.news.back());
        outputsAtNews = outputs;
        controls.statusBar->showMessage(outputsNews);
    } else if (!report.adapterAdvice.empty()) {
        controls.statusBar->showMessage(QString::fromStdString(report.adapterAdvice));
    } else if (outputsAtNews && *outputsAtNews != outputs) {
        if (controls.statusBar->currentMessage() == outputsNews) {
            controls.statusBar->clearMessage();
        }
        outputsAtNews.reset();
    }
}

void TesterWindow::showBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    auto* box = new QMessageBox(icon, caption, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TesterWindow::warnOfBrokenTrace(const LinkStatus& status) {
    if (!status.traceBroken || traceWarned) {
        return;
    }
    traceWarned = true;
    showBox(QMessageBox::Warning, QStringLiteral("Ошибка исполнения"),
            QStringLiteral("Трасса линии записана не полностью: %1\nСтрока трассы потеряна, "
                           "файл не содержит весь сеанс.")
                .arg(QString::fromStdString(tracePath)));
}

void TesterWindow::showDriveLogState() {
    bool testRunning = false;
    for (const MeasuredDialog* test : findChildren<MeasuredDialog*>()) {
        testRunning = testRunning || test->isRunning();
    }
    const std::string text =
        console::driveLogStateText(lastStatus.driveLogPath, lastStatus.driveLogRows,
                                   console::driveLogPause(testRunning, lastStatus.ecuAnswering));
    controls.driveLogState->setText(QString::fromStdString(text));
    controls.driveLogState->setToolTip(QString::fromStdString(lastStatus.driveLogPath));
    controls.driveLogState->setVisible(!text.empty());
}

// The box follows the reports: a click only asks the link thread to start or stop.
void TesterWindow::driveLogClicked() {
    controls.driveLogButton->setChecked(driveLogRunning);
    if (driveLogRunning) {
        consoleLink.stopDriveLog();
    } else {
        consoleLink.startDriveLog();
    }
}

void TesterWindow::driveLogEnded(const QString& path, const QString& problem, quint64 rows) {
    driveLogRunning = false;
    controls.driveLogButton->setChecked(false);
    if (closing) {
        return;
    }
    if (problem.isEmpty()) {
        controls.statusBar->showMessage(
            QStringLiteral("Лог записан: %1, строк: %2").arg(path).arg(rows));
    } else {
        showBox(QMessageBox::Critical, QStringLiteral("Ошибка исполнения"), problem + u'\n' + path);
    }
}

void TesterWindow::openChart() {
    if (!chartWindow) {
        chartWindow = new LiveChartWindow(history, this);
        chartWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    chartWindow->show();
    chartWindow->raise();
    chartWindow->activateWindow();
}

void TesterWindow::openHelp() {
    if (!helpWindow) {
        helpWindow = new HelpWindow(this, QStringLiteral("console"));
        helpWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
}

void TesterWindow::stopTests() {
    for (MeasuredDialog* test : findChildren<MeasuredDialog*>()) {
        test->stop();
    }
}

// Escape comes here; the close box goes through closeEvent() and asks nothing.
void TesterWindow::reject() {
    if (linkClosed) {
        QDialog::reject();
    } else if (sessionStarted && !closing) {
        askEndSession();
    } else {
        beginClose();
    }
}

void TesterWindow::askEndSession() {
    if (endQuestion) {
        endQuestion->raise();
        return;
    }
    endQuestion = new QMessageBox(QMessageBox::Question, windowTitle(),
                                  QStringLiteral("Завершить сеанс связи с ЭБУ и закрыть консоль?"),
                                  QMessageBox::Yes | QMessageBox::No, this);
    endQuestion->setObjectName(QStringLiteral("endSessionQuestion"));
    endQuestion->setDefaultButton(QMessageBox::No);
    endQuestion->setAttribute(Qt::WA_DeleteOnClose);
    connect(endQuestion, &QMessageBox::finished, this, [this](int answer) {
        if (answer == QMessageBox::Yes) {
            beginClose();
        }
    });
    endQuestion->open();
}

void TesterWindow::closeEvent(QCloseEvent* event) {
    if (!linkClosed) {
        event->ignore();
        beginClose();
        return;
    }
    QDialog::closeEvent(event);
}

void TesterWindow::beginClose() {
    if (closing) {
        return;
    }
    closing = true;
    stopTests();
    cue.end();
    controls.disableInput();
    controls.statusBar->showMessage(QStringLiteral("Возврат управления ЭБУ..."));
    consoleLink.close();
}

void TesterWindow::closeLinkDone(const QString& warning, const QString& note) {
    linkClosed = true;
    QSettings().setValue(geometryKey, saveGeometry());
    if (chartWindow) {
        chartWindow->close();
    }
    emit consoleClosed(warning, note);
    close();
}

}  // namespace ecuprobe::ui
