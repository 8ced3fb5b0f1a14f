#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "console/panel_snapshot.h"
#include "console/panel_timer.h"
#include "ecu/adapter_watch.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::console {

// How a click on a control ended.
enum class ClickOutcome {
    done,
    // The control's service comes with a later part of the tester.
    notAvailableYet,
    // The control is disabled (or has no click action); nothing happened.
    ignored,
};

struct ClickResult {
    ClickOutcome outcome = ClickOutcome::ignored;
    // What the view shows after the click: the decoded fault list for "Декод.",
    // a validation message for "Начать"; empty otherwise.
    std::string text;
};

// The tester console without a widget toolkit: its fields, the poll cycle on a
// PanelTimer and the reactions to its controls. It owns the EcuSession and,
// like the session, lives on the link thread; views read snapshot() and pass
// clicks in. Messages are returned to the caller, never printed.
class TesterPanel {
public:
    explicit TesterPanel(PanelTimer& pollTimer);
    TesterPanel(const TesterPanel&) = delete;
    TesterPanel& operator=(const TesterPanel&) = delete;
    // Closes like onDestroy(), so a panel dropped without it leaves no timer
    // calling into freed memory and no port open.
    ~TesterPanel();

    // "Начать": connects and starts the poll. Returns the period box's
    // validation message, empty when the period was valid.
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

    PanelFields fields;
    std::int32_t started = 0;
    std::int32_t controlsEnabled = 0;
    std::uint8_t tickCount = 0;
    std::uint32_t timerId = 1;
    std::uint32_t timerHandle = 0;
    std::uint32_t periodMs = 1000;

private:
    void setEnabled(ControlId id, bool enabled);
    void setChecked(ControlId id, std::int32_t state);
    void startTimer();
    void copyInitialSwitchStates();
    void copyLiveValues();
    void clearFaultsClicked();
    void switchClicked(ControlId id);
    // The field that holds the console's state of a switch box.
    std::int32_t& switchState(ControlId id);
    void lambdaProbeClicked();
    void markOutputsReleased();

    // The line's own trouble, for a view's status line: "адаптер отключён: <path>"
    // while the device is gone, "ЭБУ не отвечает" while the ECU is silent.
    std::string linkNote() const;

    PanelTimer& timer;
    ecu::EcuSession session;
    ecu::AdapterWatch adapter{session};
    PanelSnapshot shown;
};

}  // namespace ecuprobe::console
