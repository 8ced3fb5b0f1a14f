#include "ui/measured_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
        text += QStringLiteral(" Отчёт не записан");
        if (!outcome.reportProblem.empty()) {
            text += QStringLiteral(": ") + QString::fromStdString(outcome.reportProblem);
        }
        text += QStringLiteral(": результаты хранятся до следующего теста.");
    }
    return text;
}

QString objectNameOf(console::DialogKind kind) {
    switch (kind) {
        case console::DialogKind::accelerationTest:
            return QStringLiteral("accelerationTest");
        case console::DialogKind::lossTest:
            return QStringLiteral("lossTest");
        default:
            return QStringLiteral("dynamicTest");
    }
}

// The caption of the result field that holds the run's duration.
QString durationCaption(const console::RunDescriptor& test) {
    for (const console::ResultRow& row : test.results) {
        if (row.first.quantity == console::Quantity::seconds) {
            return toQString(row.caption);
        }
    }
    return QStringLiteral("Время");
}

const console::RunDescriptor& descriptorOf(console::DialogKind kind) {
    const console::RunDescriptor* test = console::measuredRun(kind);
    Q_ASSERT(test != nullptr);
    return *test;
}

}  // namespace

MeasuredDialog::MeasuredDialog(console::DialogKind kind, ConsoleLink& consoleLink, QWidget* parent)
    : QDialog(parent),
      test(descriptorOf(kind)),
      link(consoleLink),
      state(std::make_shared<TestRunState>(kind)),
      unit(test.watchesSpeed ? QStringLiteral("км/ч") : QStringLiteral("об/мин")),
      fields(new QWidget(this)),
      startButton(new QPushButton(toQString(test.startCaption), this)),
      exitButton(new QPushButton(QStringLiteral("Выход"), this)),
      saveButton(new QPushButton(QStringLiteral("Записать отчёт"), this)),
      progressText(new QLabel(QStringLiteral("Тест не начат."), this)),
      progressBar(new QProgressBar(this)),
      stopButton(new QPushButton(QStringLiteral("Стоп"), this)),
      runChart(new TestRunChart(
          test.watchesSpeed ? QStringLiteral("Скорость") : QStringLiteral("Обороты"), unit,
          durationCaption(test), this)) {
    setObjectName(objectNameOf(kind));
    setWindowTitle(toQString(test.title));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    startButton->setObjectName(test.startId != 0 ? controlName(test.startId)
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
    inputs = layOutTest(*fields, test);
    runChart->showLevels(static_cast<double>(test.start.first),
                         static_cast<double>(test.end.first));
    explainDuration();
    connect(startButton, &QPushButton::clicked, this, &MeasuredDialog::startRun);
    connect(exitButton, &QPushButton::clicked, this, &MeasuredDialog::reject);
    connect(saveButton, &QPushButton::clicked, this, &MeasuredDialog::saveLastRun);
    connect(stopButton, &QPushButton::clicked, this, &MeasuredDialog::stop);
    if (inputs.onTheMove != nullptr) {
        connect(inputs.onTheMove, &QCheckBox::clicked, this, &MeasuredDialog::goOnTheMove);
    }
    layOut();
}

// The field and the chart's title give two durations of one run; each says which.
void MeasuredDialog::explainDuration() {
    for (const console::ResultRow& row : test.results) {
        if (row.first.quantity != console::Quantity::seconds) {
            continue;
        }
        if (auto* field = fields->findChild<QLineEdit*>(controlName(row.first.id))) {
            field->setToolTip(
                QStringLiteral("От отсчёта ЭБУ на начальном уровне до отсчёта на конечном. "
                               "Время между интерполированными пересечениями уровней — "
                               "в заголовке графика."));
        }
    }
}

// A new run's figures are not yet known: the last run's go, as in a new dialog.
void MeasuredDialog::clearResults() {
    for (const console::ResultRow& row : test.results) {
        for (const auto& result : {std::optional(row.first), row.second}) {
            if (!result) {
                continue;
            }
            if (auto* field = fields->findChild<QLineEdit*>(controlName(result->id))) {
                field->setText(QStringLiteral("0"));
            }
        }
    }
    runChart->clear();
    reportOffered = false;
}

// The fields and the run's progress on the left, the chart beside them: the
// dialog stays within a 1366x768 screen. The progress line neither widens nor
// heightens the dialog as its text changes during a run.
void MeasuredDialog::layOut() {
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(exitButton);
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    auto* top = new QHBoxLayout;
    top->addWidget(fields, 1);
    top->addLayout(buttons);
    progressText->setWordWrap(true);
    progressText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    progressText->setFixedHeight(progressText->fontMetrics().lineSpacing() * 3);
    progressText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progressBar, 1);
    progressRow->addWidget(stopButton);
    auto* left = new QVBoxLayout;
    left->addLayout(top);
    left->addWidget(progressText);
    left->addLayout(progressRow);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(runChart, 1);
}

std::optional<std::pair<std::int64_t, std::int64_t>> MeasuredDialog::levels() {
    if (test.levelText == console::LevelText::firstFourDigits) {
        return std::pair<std::int64_t, std::int64_t>{
            console::firstFourDigits(inputs.start->text().toStdString()),
            console::firstFourDigits(inputs.end->text().toStdString())};
    }
    const bool signedNumbers = test.levelText == console::LevelText::signedWhole;
    std::pair<std::int64_t, std::int64_t> both;
    for (auto [field, value] :
         {std::pair{inputs.start, &both.first}, std::pair{inputs.end, &both.second}}) {
        bool read = false;
        const QString text = field->text().trimmed();
        *value = signedNumbers ? std::int64_t{text.toInt(&read)} : std::int64_t{text.toUInt(&read)};
        if (!read) {
            refuseField(*this, field,
                        signedNumbers ? QStringLiteral("Please enter an integer.")
                                      : QStringLiteral("Please enter a positive integer."));
            return std::nullopt;
        }
    }
    return both;
}

std::optional<TestRunState::Inputs> MeasuredDialog::readInputs() {
    const auto typed = levels();
    if (!typed) {
        return std::nullopt;
    }
    const bool moving = inputs.onTheMove != nullptr && inputs.onTheMove->isChecked();
    const int gear = inputs.gears != nullptr ? std::max(0, inputs.gears->checkedId()) : 0;
    const bool saved = inputs.save->isChecked();
    return [both = *typed, moving, gear, saved](console::MeasuredForm& form) {
        form.setLevels(both.first, both.second);
        if (moving && !form.onTheMove()) {
            form.clickOnTheMove();
        }
        form.chooseGear(gear);
        form.save = saved;
    };
}

void MeasuredDialog::enableInputs(bool enabled) {
    inputs.start->setEnabled(enabled);
    inputs.end->setEnabled(enabled);
    const bool moving = inputs.onTheMove == nullptr || inputs.onTheMove->isChecked();
    if (inputs.onTheMove != nullptr) {
        inputs.onTheMove->setEnabled(enabled && !moving);
    }
    if (inputs.gears != nullptr) {
        for (QAbstractButton* gear : inputs.gears->buttons()) {
            gear->setEnabled(enabled && moving);
        }
    }
    inputs.save->setEnabled(enabled);
}

void MeasuredDialog::goOnTheMove() {
    inputs.onTheMove->setChecked(true);
    inputs.onTheMove->setEnabled(false);
    for (QAbstractButton* gear : inputs.gears->buttons()) {
        gear->setEnabled(true);
    }
    inputs.gears->button(2)->setChecked(true);
}

void MeasuredDialog::startRun() {
    if (running) {
        return;
    }
    std::optional<TestRunState::Inputs> typed = readInputs();
    if (!typed) {
        return;
    }
    setRunning(true);
    clearResults();
    progressText->setText(QStringLiteral("Связь с ЭБУ..."));
    state->clearStop();
    // The dialog stays until its run has ended, so the link thread may post to it.
    auto progressArrived = [this] {
        QMetaObject::invokeMethod(
            this, [this] { showProgress(state->takeProgress()); }, Qt::QueuedConnection);
    };
    QPointer<MeasuredDialog> self(this);
    link.runService(TestRunState::service(state, std::move(*typed), progressArrived),
                    [self](bool ran) {
                        if (self) {
                            self->runEnded(ran);
                        }
                    });
}

void MeasuredDialog::stop() {
    state->requestStop();
}

void MeasuredDialog::setRunning(bool on) {
    const bool changed = running != on;
    running = on;
    enableInputs(!on);
    startButton->setEnabled(!on);
    exitButton->setEnabled(!on);
    stopButton->setEnabled(on);
    saveButton->setEnabled(!on && reportOffered);
    if (changed) {
        emit runningChanged();
    }
}

// The report of a run whose results were not written, to a file asked for afresh.
void MeasuredDialog::saveLastRun() {
    if (running) {
        return;
    }
    setRunning(true);
    stopButton->setEnabled(false);
    progressText->setText(QStringLiteral("Запись отчёта..."));
    QPointer<MeasuredDialog> self(this);
    link.runService(TestRunState::saveService(state), [self](bool ran) {
        if (self) {
            self->saveEnded(ran);
        }
    });
}

void MeasuredDialog::saveEnded(bool ran) {
    if (ran) {
        reportOffered = state->outcome().unsaved;
    }
    setRunning(false);
    progressText->setText(
        ran ? runEndText(state->outcome())
            : QStringLiteral("Отчёт не записан: консоль занята или закрывается."));
}

void MeasuredDialog::showProgress(const measure::SampleProgress& progress) {
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
                              .arg(unit) +
                          QStringLiteral(", ответов ЭБУ: %1").arg(progress.samples));
}

void MeasuredDialog::runEnded(bool ran) {
    setRunning(false);
    if (closeWhenStopped) {
        QDialog::reject();
        return;
    }
    if (!ran) {
        progressText->setText(QStringLiteral("Тест не начат: консоль занята или закрывается."));
        return;
    }
    showOutcome(state->outcome());
}

// Only a run that ended Ok shows figures: the fields were cleared as it started,
// so a stopped or failed run never stands beside the figures of the one before.
void MeasuredDialog::showOutcome(const TestRunOutcome& outcome) {
    progressText->setText(runEndText(outcome));
    if (outcome.run.result != SampleResult::Ok || !outcome.run.started) {
        // A bar left where the run stopped would read as a measurement.
        progressBar->reset();
        return;
    }
    reportOffered = outcome.unsaved;
    saveButton->setEnabled(!running && reportOffered);
    for (const auto& [id, text] : outcome.results) {
        if (auto* field = fields->findChild<QLineEdit*>(controlName(id))) {
            field->setText(toQString(text));
            field->setCursorPosition(0);
        }
    }
    runChart->showRun(outcome.curve);
}

void MeasuredDialog::reject() {
    if (running) {
        askToStop();
        return;
    }
    QDialog::reject();
}

void MeasuredDialog::closeEvent(QCloseEvent* event) {
    if (running) {
        event->ignore();
        askToStop();
        return;
    }
    QDialog::closeEvent(event);
}

// Yes stops the run as "Стоп" does and closes the dialog once the run has ended;
// No leaves the run going.
void MeasuredDialog::askToStop() {
    if (stopQuestion) {
        stopQuestion->raise();
        return;
    }
    stopQuestion = new QMessageBox(QMessageBox::Question, windowTitle(),
                                   QStringLiteral("Тест ещё идёт. Остановить его и закрыть окно?"),
                                   QMessageBox::Yes | QMessageBox::No, this);
    stopQuestion->setDefaultButton(QMessageBox::No);
    stopQuestion->setAttribute(Qt::WA_DeleteOnClose);
    QMessageBox* question = stopQuestion;
    connect(question, &QMessageBox::finished, this, [this, question] {
        // Answered: the next close asks again, even before this box is deleted.
        stopQuestion = nullptr;
        if (question->clickedButton() != question->button(QMessageBox::Yes)) {
            return;
        }
        if (!running) {
            QDialog::reject();
            return;
        }
        closeWhenStopped = true;
        stop();
    });
    stopQuestion->open();
}

}  // namespace ecuprobe::ui
