#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

#include "console/run_descriptor.h"
#include "console/tester_panel.h"
#include "ui/measured_dialog_layout.h"
#include "ui/measured_run.h"

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace ecuprobe::ui {

class ConsoleLink;
class TestRunChart;

// A measured test's dialog, laid out from its descriptor row: the test's levels,
// gear and "Сохранить" and its result fields on top, its start button and
// "Выход"; while a run waits and records, a progress line with the phase, the
// watched value between the two levels and the answers taken, and "Стоп"; after
// a run the chart of its samples. The run itself goes on the link thread with
// the test's form.
class MeasuredDialog final : public QDialog {
    Q_OBJECT

public:
    MeasuredDialog(console::DialogKind kind, ConsoleLink& link, QWidget* parent);

    bool isRunning() const { return running; }
    // Ends the run between two samples: "Стоп", or the console closing.
    void stop();
    TestRunChart* chart() const { return runChart; }

signals:
    // A run or a report's writing holds the line, or no longer does.
    void runningChanged();

public slots:
    // During a run, asks whether to stop it and close; the dialog closes only
    // once the run has ended.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void layOut();
    void explainDuration();
    void clearResults();
    void askToStop();
    // The inputs as the run will take them, read from the fields now; nullopt,
    // after the field's message, when one does not read.
    std::optional<TestRunState::Inputs> readInputs();
    // The start and end levels typed into their fields; nullopt after the
    // message of the first that does not read.
    std::optional<std::pair<std::int64_t, std::int64_t>> levels();
    void enableInputs(bool enabled);
    // Once on the move, the dialog stays so: a standing run needs a new dialog.
    void goOnTheMove();
    void startRun();
    void setRunning(bool on);
    void showProgress(const measure::SampleProgress& progress);
    void runEnded(bool ran);
    void saveLastRun();
    void saveEnded(bool ran);
    void showOutcome(const TestRunOutcome& outcome);

    const console::RunDescriptor& test;
    ConsoleLink& link;
    std::shared_ptr<TestRunState> state;
    QString unit;  // of the watched value
    QWidget* fields;
    InputFields inputs;
    QPushButton* startButton;
    QPushButton* exitButton;
    QPushButton* saveButton;
    QLabel* progressText;
    QProgressBar* progressBar;
    QPushButton* stopButton;
    TestRunChart* runChart;
    QPointer<QMessageBox> stopQuestion;
    bool running = false;
    // The figures shown are those of a run whose report is still to be written.
    bool reportOffered = false;
    // The person chose to stop the run and close: the dialog goes when it ends.
    bool closeWhenStopped = false;
};

}  // namespace ecuprobe::ui
