#pragma once

#include <QString>

#include <map>

#include "console/panel_controls.h"
#include "console/panel_snapshot.h"

class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;
class QWidget;

namespace ecuprobe::ui {

class UpDownControl;

// The controls of the "Тестер" console laid out on a host widget, each named
// c<id> after its identifier, and shown from the panel's snapshots. Layouts
// only, so the console grows with its window and with larger fonts.
class ConsoleForm {
public:
    explicit ConsoleForm(QWidget& host);

    // The control with that identifier; null for one the console does not have.
    QWidget* control(console::ControlId id) const;
    const std::map<console::ControlId, QWidget*>& controls() const { return byId; }

    // Texts, check marks, enabled controls, the COM entry and the up-down position.
    void show(const console::PanelSnapshot& snapshot);
    // Every control the user could act on, off: while the console closes.
    void disableInput();
    // Greys the live values and the fault list while they are not current,
    // with the note of since when over them.
    void showStale(bool stale, const QString& note);
    // The connection's state in the indicator, coloured by how it stands; true
    // when it changed.
    bool showLink(const console::LinkIndicator& link);

    QComboBox* comBox = nullptr;
    UpDownControl* upDown = nullptr;
    // "График": the live chart, in the console's free space.
    QPushButton* chartButton = nullptr;
    // "Запись лога": checked while the drive log is being written.
    QPushButton* driveLogButton = nullptr;
    // Under "Запись лога": the log's file, its rows and whether it is paused.
    QLabel* driveLogState = nullptr;
    // Beside the COM box: its menu maps the chosen slot to a detected device.
    QToolButton* comMapButton = nullptr;
    QStatusBar* statusBar = nullptr;
    // Above "Вернуть управл.": what the tester may still hold over the ECU.
    QLabel* heldNote = nullptr;
    // Over the live values: since when they are old, hidden while they are current.
    QLabel* staleNote = nullptr;
    // Across the console under its top row: connected, or why not and what to check.
    QLabel* linkState = nullptr;

private:
    friend class ConsoleLayout;

    void showText(console::ControlId id, const std::string& text);
    void showEnabled(const console::PanelSnapshot& snapshot);
    void showHeld(const console::PanelSnapshot& snapshot);

    std::map<console::ControlId, QWidget*> byId;
};

// The name a control carries: "c1023".
QString controlName(console::ControlId id);
// The caption on or beside a control, as the console shows it.
QString controlCaption(console::ControlId id);
// How the note and the switches of controls the tester may still hold stand out.
QString heldStyle();
// The indicator's colours: green while connected, grey before "Начать", red for a trouble.
QString linkStyle(console::LinkState state);

}  // namespace ecuprobe::ui
