// The dialogs the console's clicks open, and what the window says after a click.
#include <QStatusBar>

#include "ui/control_parameter_dialog.h"
#include "ui/fault_decoding_dialog.h"
#include "ui/identification_dialog.h"
#include "ui/measured_dialog.h"
#include "ui/tester_window.h"

namespace ecuprobe::ui {

namespace control = console::control;

namespace {

QString reportProblemText(const std::string& problem) {
    return QStringLiteral("Отчёт не записан: %1. Следующая запись спросит файл заново.")
        .arg(QString::fromStdString(problem));
}

}  // namespace

void TesterWindow::cueService(console::ControlId id) {
    if (id == control::identify) {
        cue.begin(QStringLiteral("Чтение идентификации ЭБУ..."));
    } else if (id == control::saveDump) {
        cue.begin(QStringLiteral("Запись отчёта..."));
    }
}

void TesterWindow::showClickAnswer(const ClickAnswer& answer) {
    if (answer.id == control::identify || answer.id == control::saveDump) {
        cue.end();
    }
    if (closing || answer.outcome != console::ClickOutcome::done) {
        return;
    }
    if (answer.id == control::decodeFaults) {
        // The decoding window opens also on an empty list, as it always does.
        auto* dialog = new FaultDecodingDialog(answer.text, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    } else if (answer.id == control::start && !answer.text.empty()) {
        showBox(QMessageBox::Warning, QStringLiteral("ECUPROBE"),
                QString::fromStdString(answer.text));
    } else if (answer.id == control::saveDump && !answer.reportPath.empty()) {
        // Only a report that was written completely is announced, and never as
        // holding what the ECU did not answer.
        QString said =
            QStringLiteral("Отчёт дописан в ") + QString::fromStdString(answer.reportPath);
        if (!answer.unanswered.empty()) {
            said += QStringLiteral(". ") + QString::fromStdString(answer.unanswered) +
                    QStringLiteral("; в отчёте они не прочитаны.");
        }
        controls.statusBar->showMessage(said);
    } else if (answer.id == control::saveDump && !answer.reportProblem.empty()) {
        controls.statusBar->showMessage(reportProblemText(answer.reportProblem));
    } else if (answer.id == control::identify) {
        showIdentification(answer);
    } else if (answer.dialog != console::DialogKind::none) {
        openDialog(answer);
    }
}

// The texts shown with the fields the ECU left empty named; none shown at all
// when it gave no passport block, which is said too.
void TesterWindow::showIdentification(const ClickAnswer& answer) {
    if (!answer.unanswered.empty()) {
        controls.statusBar->showMessage(QString::fromStdString(answer.unanswered) +
                                        (answer.identification
                                             ? QStringLiteral("; эти поля пусты.")
                                             : QStringLiteral("; показать нечего.")));
    }
    if (answer.identification) {
        openDialog(answer);
    }
}

void TesterWindow::openDialog(const ClickAnswer& answer) {
    QDialog* dialog = nullptr;
    switch (answer.dialog) {
        case console::DialogKind::identification:
            dialog = new IdentificationDialog(*answer.identification, this);
            break;
        case console::DialogKind::controlParameters: {
            auto* parameters = new ControlParameterDialog(*answer.parameters, consoleLink, this);
            connect(parameters, &ControlParameterDialog::storing, this, [this](bool on) {
                if (on) {
                    cue.begin(QStringLiteral("Запись параметров в ЭБУ..."));
                } else {
                    cue.end();
                }
            });
            dialog = parameters;
            break;
        }
        case console::DialogKind::dynamicTest:
        case console::DialogKind::accelerationTest:
        case console::DialogKind::lossTest: {
            auto* test = new MeasuredDialog(answer.dialog, consoleLink, this);
            connect(test, &MeasuredDialog::runningChanged, this, &TesterWindow::showDriveLogState);
            dialog = test;
            break;
        }
        case console::DialogKind::none:
            return;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace ecuprobe::ui
