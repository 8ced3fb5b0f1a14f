#include "ui/tester_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include "ui/fault_decoding_dialog.h"
#include "ui/live_chart_window.h"
#include "ui/qt_text.h"
#include "ui/up_down_control.h"

namespace ecuprobe::ui {

namespace {

namespace control = console::control;

const char* const geometryKey = "console/geometry";
const char* const comSlotKey = "console/comSlot";

std::optional<int> keptComSlot() {
    const QVariant kept = QSettings().value(comSlotKey);
    bool valid = false;
    const int slot = kept.toInt(&valid);
    if (!valid || slot < 0 || slot >= platform::PortMap::portCount) {
        return std::nullopt;
    }
    return slot;
}

}  // namespace

TesterWindow::TesterWindow(const ConsoleOptions& options, QWidget* parent)
    : QDialog(parent),
      controls(*this),
      consoleLink(options.ports, this, options.pollSpeedUp),
      linkLine(new QLabel(this)) {
    setObjectName(QStringLiteral("tester"));
    setWindowTitle(toQString(console::dialogTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    linkLine->setObjectName(QStringLiteral("linkLine"));
    controls.statusBar->addPermanentWidget(linkLine);
    for (int slot = 0; slot < platform::PortMap::portCount; ++slot) {
        controls.comBox->setItemData(slot, QString::fromStdString(options.ports.path(slot)),
                                     Qt::ToolTipRole);
    }
    controls.show(console::PanelSnapshot{});
    connectControls();
    restoreGeometry(QSettings().value(geometryKey).toByteArray());
    if (const std::optional<int> slot = options.comSlot ? options.comSlot : keptComSlot()) {
        consoleLink.selectCom(*slot);
    }
}

TesterWindow::~TesterWindow() = default;

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
    connect(&consoleLink, &ConsoleLink::reported, this, &TesterWindow::showReport);
    connect(&consoleLink, &ConsoleLink::clickAnswered, this, &TesterWindow::showClickAnswer);
    connect(&consoleLink, &ConsoleLink::closed, this, &TesterWindow::closeLinkDone);
}

void TesterWindow::clicked(console::ControlId id) {
    // A box shows what the ECU accepted: the click itself changes nothing until
    // the link thread reports the outcome.
    if (auto* box = qobject_cast<QCheckBox*>(controls.control(id))) {
        box->setChecked(!box->isChecked());
    }
    consoleLink.click(id);
}

void TesterWindow::comChosen(int index) {
    QSettings().setValue(comSlotKey, index);
    consoleLink.selectCom(index);
}

void TesterWindow::showReport(const LinkReport& report) {
    if (closing) {
        return;
    }
    controls.show(report.snapshot);
    const QString line = QString::fromStdString(linkStatusText(report.status));
    if (linkLine->text() != line) {
        linkLine->setText(line);
        emit linkStatusChanged(line);
    }
    if (report.cause == ReportCause::tick && report.status.ecuAnswering) {
        history.add(report.atMs, report.snapshot);
        if (chartWindow) {
            chartWindow->refresh();
        }
    }
}

void TesterWindow::showClickAnswer(const ClickAnswer& answer) {
    if (closing) {
        return;
    }
    if (answer.outcome != console::ClickOutcome::done) {
        return;
    }
    // The decoding window opens also on an empty list, as it always does.
    if (answer.id == control::decodeFaults) {
        auto* dialog = new FaultDecodingDialog(answer.text, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    } else if (answer.id == control::start && !answer.text.empty()) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ECUPROBE"),
                                    QString::fromStdString(answer.text), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
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

void TesterWindow::reject() {
    if (linkClosed) {
        QDialog::reject();
    } else {
        beginClose();
    }
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
    controls.disableInput();
    controls.statusBar->showMessage(QStringLiteral("Возврат управления ЭБУ..."));
    consoleLink.close();
}

void TesterWindow::closeLinkDone(const QString& warning) {
    linkClosed = true;
    QSettings().setValue(geometryKey, saveGeometry());
    if (chartWindow) {
        chartWindow->close();
    }
    emit consoleClosed(warning);
    close();
}

}  // namespace ecuprobe::ui
