#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/adaptation_reset.h"
#include "console/control_parameter_form.h"
#include "console/identification_content.h"
#include "console/link_indicator.h"
#include "console/measured_form.h"
#include "console/panel_controls.h"
#include "console/panel_snapshot.h"
#include "console/panel_timer.h"
#include "ecu/adapter_watch.h"
#include "ecu/ecu_session.h"
#include "ecu/unanswered_reads.h"
#include "reports/user_prompts.h"

namespace ecuprobe::console {

// How a click on a control ended.
enum class ClickOutcome {
    done,
    // The control is disabled (or has no click action); nothing happened.
    ignored,
};

// The dialog a click asks the view to open.
enum class DialogKind {
    none,
    // Show ClickResult::identification.
    identification,
    // Get a form from TesterPanel::controlParameterForm(), let the person edit it,
    // and pass it to TesterPanel::applyControlParameters() on OK.
    controlParameters,
    // Get the form from TesterPanel::testForm(), show it, and run it with
    // TesterPanel::runTest() on its start button.
    dynamicTest,
    accelerationTest,
    lossTest,
};

struct ClickResult {
    ClickOutcome outcome = ClickOutcome::ignored;
    // What the view shows after the click: the decoded fault list for "Декод.",
    // a validation message for "Начать"; empty otherwise.
    std::string text;
    DialogKind dialog = DialogKind::none;
    // The identification dialog's content, with DialogKind::identification.
    std::optional<IdentificationContent> identification;
    // How "Запись" went: a report is never to be announced as saved unless it was.
    std::optional<reports::ReportOutcome> report;
    // What "Идент." or "Запись" asked the ECU for in vain: shown or written empty.
    ecu::UnansweredReads unanswered;
    // How a click on an "Х" button went.
    std::optional<ResetOutcome> reset;
};

// The tester console without a widget toolkit: its fields, the poll cycle on a
// PanelTimer and the reactions to its controls. It owns the EcuSession and,
// like the session, lives on the link thread; views read snapshot() and pass
// clicks in. Messages are returned to the caller, never printed; questions in
// the middle of a service go to prompts.
class TesterPanel {
public:
    TesterPanel(PanelTimer& pollTimer, reports::UserPrompts& prompts);
    TesterPanel(const TesterPanel&) = delete;
    TesterPanel& operator=(const TesterPanel&) = delete;
    // Closes like onDestroy(), so a panel dropped without it leaves no timer
    // calling into freed memory and no port open.
    ~TesterPanel();

    // "Начать": connects and starts the poll. A port that does not open leaves
    // the console as before the start, for another port to be chosen; so does
    // an adapter that has gone, for "Начать" on another. Returns the period
    // box's validation message, empty when the period was valid.
    std::string onStart();
    void onTick();
    // The COM combo box selected entry index (0..3 for COM1..COM4); false when
    // the box is disabled or the index is out of range.
    bool onComSelected(int index);
    // The period up-down control moved to upDownPosition.
    void onPeriodChanged(std::int32_t upDownPosition);
    // A period typed into the period box (the command-line tester): validated
    // like readFields(); returns the validation message, empty when taken.
    std::string enterPeriod(std::string_view text);
    void onReleaseControls();
    void onDestroy();
    // Stops the poll of a start whose port never opened, without the disconnect
    // that onDestroy() would send: nothing was taken over there.
    void abandon();
    // Routes a click on any control by its identifier.
    ClickResult onClick(ControlId id);
    // The control-parameter dialog's form, starting from the session's live values.
    ControlParameterForm controlParameterForm() const;
    // Its OK: sends nothing and returns the validation message and field when a
    // field does not read; otherwise runs the form, "Вернуть управл." following what is held.
    ParameterCheck applyControlParameters(ControlParameterForm& form);
    // The form of a measured test dialog (dynamicTest, accelerationTest, lossTest);
    // null for any other kind.
    std::unique_ptr<MeasuredForm> testForm(DialogKind kind);
    // A test dialog's start button; the caller sets the sampler's progress and stop.
    TestRun runTest(MeasuredForm& form, measure::TestSampler& sampler);

    void refreshLiveValues();
    void refreshFaults();
    void refreshActuatorBoxes();
    void enableControls();
    void disableControls();
    void refreshEnabledControls();
    // Puts every field on screen.
    void showFields();
    // Takes the period from its box, the one control a person can change;
    // returns the validation message, empty when the period was valid.
    std::string readFields();

    PanelSnapshot snapshot() const;
    ecu::EcuSession& ecuSession() { return session; }
    // What the person is to be told once about controls the tester may still
    // hold: how handing them back on a new connection went, a record of the port
    // that could not be read or written. Empty when there is nothing new.
    std::vector<std::string> takeNews() { return session.takeHandBackNews(); }
    // The live reads that came in since the panel was built: a view that logs the
    // drive adds a row of the session's LiveData whenever this grows.
    std::uint32_t liveReadCount() const { return liveReads; }

    // "Начать" was clicked and the poll runs (until the console closes).
    bool isStarted() const { return started != 0; }
    bool controlsAreEnabled() const { return controlsEnabled != 0; }
    const PanelFields& panelFields() const { return fields; }
    // The poll timer's handle (0 while it is stopped) and period.
    std::uint32_t pollTimerHandle() const { return timerHandle; }
    std::uint32_t pollPeriodMs() const { return periodMs; }

private:
    ClickResult routeClick(ControlId id);
    void setEnabled(ControlId id, bool enabled);
    void setChecked(ControlId id, std::int32_t state);
    void startTimer();
    void copyLiveValues();
    void clearFaultsClicked();
    void switchClicked(ControlId id);
    void lambdaProbeClicked();
    // "Вернуть управл." is enabled while, and only while, the tester may still
    // hold anything, also while the ECU is silent: nothing else would hand it back.
    void showRelease();
    ClickResult identifyClicked();
    ClickResult adaptationResetClicked(ControlId id);
    ClickResult saveDumpClicked();
    // Shows the session's status text at once, after a service that may set it.
    void showStatus();
    // The session's status text, except an ECU type while it does not answer.
    std::string sessionStatus() const;
    std::string portNotOpened();
    void leaveEarlierStart();
    void showPortChoice(bool choosing);
    LinkIndicator linkState() const;
    void showOwedBeforeStart(PanelSnapshot& copy) const;

    PanelTimer& timer;
    reports::UserPrompts& prompts;
    ecu::EcuSession session;
    ecu::AdapterWatch adapter{session};
    // Why the last "Начать" could not open the port; cause none when it opened.
    platform::OpenFailure portFailure;
    PanelSnapshot shown;
    std::uint32_t liveReads = 0;
    PanelFields fields;
    std::int32_t started = 0;
    std::int32_t controlsEnabled = 0;
    std::uint8_t tickCount = 0;
    std::uint32_t timerId = 1;
    std::uint32_t timerHandle = 0;
    std::uint32_t periodMs = 1000;
    // The port number (2..5) the last "Начать" opened.
    int startedPort = 2;
};

// The descriptor row of a measured test dialog's kind; null for any other kind.
const RunDescriptor* measuredRun(DialogKind kind);

}  // namespace ecuprobe::console
