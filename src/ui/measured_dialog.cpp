#include "ui/measured_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/console_form.h"
#include "ui/console_link.h"
#include "ui/dialog_fields.h"
#include "ui/qt_text.h"
#include "ui/run_chart.h"

namespace ecuprobe::ui {

namespace {

using measure::SampleResult;

QString runEndText(const TestRunOutcome& outcome) {
    if (!outcome.run.started) {
        return QStringLiteral("Тест не начат: параметры не приняты.");
    }
    switch (outcome.run.result) {
        case SampleResult::Ok:
            break;
        case SampleResult::Stopped:
            return QStringLiteral("Тест остановлен.");
        default:
            return QStringLiteral("Тест не выполнен.");
    }
    QString text = QStringLiteral("Тест выполнен, записано отсчётов: %1.")
                       .arg(static_cast<qsizetype>(outcome.curve.points.size()));
    if (!outcome.reportPath.empty()) {
        text += QStringLiteral(" Отчёт: ") + QString::fromStdString(outcome.reportPath);
    }
    if (outcome.unsaved) {
        text += QStringLiteral(" Отчёт не записан: результаты хранятся до следующего теста.");
    }
    return text;
}

}  // namespace

MeasuredTestDialog::MeasuredTestDialog(const TestDialogLook& dialogLook, ConsoleLink& consoleLink,
                                       QWidget* parent)
    : QDialog(parent),
      look(dialogLook),
      link(consoleLink),
      state(std::make_shared<TestRunState>(look.kind)),
      fields(new QWidget(this)),
      startButton(new QPushButton(toQString(look.startCaption), this)),
      exitButton(new QPushButton(QStringLiteral("Выход"), this)),
      saveButton(new QPushButton(QStringLiteral("Записать отчёт"), this)),
      progressText(new QLabel(QStringLiteral("Тест не начат."), this)),
      progressBar(new QProgressBar(this)),
      stopButton(new QPushButton(QStringLiteral("Стоп"), this)),
      runChart(new TestRunChart(look.valueName, look.unit, this)) {
    setWindowTitle(toQString(look.title));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    startButton->setObjectName(look.startId != 0 ? controlName(look.startId)
                                                 : QStringLiteral("start"));
    startButton->setDefault(true);
    exitButton->setObjectName(QStringLiteral("exit"));
    saveButton->setObjectName(QStringLiteral("saveAgain"));
    saveButton->setEnabled(false);
    progressText->setObjectName(QStringLiteral("progressText"));
    progressBar->setObjectName(QStringLiteral("progress"));
    progressBar->setTextVisible(false);
    stopButton->setObjectName(QStringLiteral("stop"));
    stopButton->setEnabled(false);
    connect(startButton, &QPushButton::clicked, this, &MeasuredTestDialog::startRun);
    connect(exitButton, &QPushButton::clicked, this, &MeasuredTestDialog::reject);
    connect(saveButton, &QPushButton::clicked, this, &MeasuredTestDialog::saveLastRun);
    connect(stopButton, &QPushButton::clicked, this, &MeasuredTestDialog::stop);
    layOut();
}

void MeasuredTestDialog::layOut() {
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(exitButton);
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    auto* top = new QHBoxLayout;
    top->addWidget(fields, 1);
    top->addLayout(buttons);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progressBar, 1);
    progressRow->addWidget(stopButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(progressText);
    layout->addLayout(progressRow);
    layout->addWidget(runChart, 1);
}

std::optional<std::pair<long long, long long>> MeasuredTestDialog::levelsIn(QLineEdit* start,
                                                                            QLineEdit* end,
                                                                            bool signedNumbers) {
    std::pair<long long, long long> levels;
    for (auto [field, value] : {std::pair{start, &levels.first}, std::pair{end, &levels.second}}) {
        bool read = false;
        const QString text = field->text().trimmed();
        *value = signedNumbers ? text.toInt(&read) : text.toUInt(&read);
        if (!read) {
            refuseField(*this, field,
                        signedNumbers ? QStringLiteral("Please enter an integer.")
                                      : QStringLiteral("Please enter a positive integer."));
            return std::nullopt;
        }
    }
    return levels;
}

void MeasuredTestDialog::startRun() {
    if (running) {
        return;
    }
    std::optional<TestRunState::Inputs> inputs = readInputs();
    if (!inputs) {
        return;
    }
    setRunning(true);
    progressText->setText(QStringLiteral("Связь с ЭБУ..."));
    state->clearStop();
    // The dialog stays until its run has ended, so the link thread may post to it.
    auto progressArrived = [this] {
        QMetaObject::invokeMethod(
            this, [this] { showProgress(state->takeProgress()); }, Qt::QueuedConnection);
    };
    QPointer<MeasuredTestDialog> self(this);
    link.runService(TestRunState::service(state, std::move(*inputs), progressArrived),
                    [self](bool ran) {
                        if (self) {
                            self->runEnded(ran);
                        }
                    });
}

void MeasuredTestDialog::stop() {
    state->requestStop();
}

void MeasuredTestDialog::setRunning(bool on) {
    running = on;
    enableInputs(!on);
    startButton->setEnabled(!on);
    exitButton->setEnabled(!on);
    stopButton->setEnabled(on);
    saveButton->setEnabled(!on && state->outcome().unsaved);
}

// The report of a run whose results were not written, to a file asked for afresh.
void MeasuredTestDialog::saveLastRun() {
    if (running) {
        return;
    }
    setRunning(true);
    stopButton->setEnabled(false);
    progressText->setText(QStringLiteral("Запись отчёта..."));
    QPointer<MeasuredTestDialog> self(this);
    link.runService(TestRunState::saveService(state), [self](bool ran) {
        if (self) {
            self->saveEnded(ran);
        }
    });
}

void MeasuredTestDialog::saveEnded(bool ran) {
    setRunning(false);
    progressText->setText(
        ran ? runEndText(state->outcome())
            : QStringLiteral("Отчёт не записан: консоль занята или закрывается."));
}

void MeasuredTestDialog::showProgress(const measure::SampleProgress& progress) {
    const int low = std::min(progress.startLimit, progress.endLimit);
    const int high = std::max(progress.startLimit, progress.endLimit);
    progressBar->setRange(low, std::max(high, low + 1));
    // Falling runs fill the bar as the value comes down from the start level.
    progressBar->setInvertedAppearance(progress.endLimit < progress.startLimit);
    progressBar->setValue(std::clamp(progress.value, low, high));
    const bool arming = progress.phase == measure::SampleProgress::Phase::arming;
    progressText->setText((arming ? QStringLiteral("Ожидание начального уровня %1 %3: сейчас %2 %3")
                                        .arg(progress.startLimit)
                                  : QStringLiteral("Запись до конечного уровня %1 %3: сейчас %2 %3")
                                        .arg(progress.endLimit))
                              .arg(progress.value)
                              .arg(look.unit) +
                          QStringLiteral(", ответов ЭБУ: %1").arg(progress.samples));
}

void MeasuredTestDialog::runEnded(bool ran) {
    setRunning(false);
    if (!ran) {
        progressText->setText(QStringLiteral("Тест не начат: консоль занята или закрывается."));
        return;
    }
    showOutcome(state->outcome());
}

// A run that did not end Ok leaves the results and the chart of the one before.
void MeasuredTestDialog::showOutcome(const TestRunOutcome& outcome) {
    progressText->setText(runEndText(outcome));
    for (const auto& [id, text] : outcome.results) {
        if (auto* field = fields->findChild<QLineEdit*>(controlName(id))) {
            field->setText(toQString(text));
            field->setCursorPosition(0);
        }
    }
    if (outcome.run.result == SampleResult::Ok && outcome.run.started) {
        runChart->showRun(outcome.curve);
    }
}

void MeasuredTestDialog::reject() {
    if (!running) {
        QDialog::reject();
    }
}

void MeasuredTestDialog::closeEvent(QCloseEvent* event) {
    if (running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace ecuprobe::ui
