#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

#include "console/tester_panel.h"
#include "ui/measured_run.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ecuprobe::ui {

class ConsoleLink;
class TestRunChart;

// What tells the three test dialogs apart in the frame they share.
struct TestDialogLook {
    console::DialogKind kind;
    std::string_view title;
    std::string_view startCaption;
    console::ControlId startId;  // 0 where the start button has no identifier of its own
    QString valueName;           // the watched value, for the chart: "Обороты"
    QString unit;                // of the watched value, for the progress line
};

// The frame of a measured test dialog: the test's own fields on top (built by the
// subclass into body()), its start button and "Выход"; while a run waits and
// records, a progress line with the phase, the watched value between the two
// levels and the answers taken, and "Стоп"; after a run the chart of its samples.
// The run itself goes on the link thread with the test's form.
class MeasuredTestDialog : public QDialog {
    Q_OBJECT

public:
    MeasuredTestDialog(const TestDialogLook& look, ConsoleLink& link, QWidget* parent);

    bool isRunning() const { return running; }
    // Ends the run between two samples: "Стоп", or the console closing.
    void stop();
    TestRunChart* chart() const { return runChart; }

public slots:
    // A run must end before the dialog can close.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // The fields of the test, laid out by the subclass.
    QWidget* body() const { return fields; }
    // The inputs as the run will take them, read from the fields now; nullopt,
    // after the field's message, when one does not read.
    virtual std::optional<TestRunState::Inputs> readInputs() = 0;
    virtual void enableInputs(bool enabled) = 0;
    // The start and end levels typed into their fields, signed or not; nullopt
    // after the message of the first that does not read.
    std::optional<std::pair<long long, long long>> levelsIn(QLineEdit* start, QLineEdit* end,
                                                            bool signedNumbers);

private:
    void layOut();
    void startRun();
    void setRunning(bool on);
    void showProgress(const measure::SampleProgress& progress);
    void runEnded(bool ran);
    void saveLastRun();
    void saveEnded(bool ran);
    void showOutcome(const TestRunOutcome& outcome);

    TestDialogLook look;
    ConsoleLink& link;
    std::shared_ptr<TestRunState> state;
    QWidget* fields;
    QPushButton* startButton;
    QPushButton* exitButton;
    QPushButton* saveButton;
    QLabel* progressText;
    QProgressBar* progressBar;
    QPushButton* stopButton;
    TestRunChart* runChart;
    bool running = false;
};

}  // namespace ecuprobe::ui
