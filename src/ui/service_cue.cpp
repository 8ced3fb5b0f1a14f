#include "ui/service_cue.h"

#include <QStatusBar>
#include <QWidget>

#include "ui/console_form.h"

namespace ecuprobe::ui {

void ServiceCue::begin(const QString& text) {
    if (active()) {
        return;
    }
    shown = text;
    window.setCursor(Qt::BusyCursor);
    controls.statusBar->showMessage(text);
    holdCommands();
}

void ServiceCue::end() {
    if (!active()) {
        return;
    }
    window.unsetCursor();
    for (const auto& [id, enabled] : wanted) {
        controls.control(id)->setEnabled(enabled);
    }
    // A message that came meanwhile (a link lost, a hand-back) stays.
    if (controls.statusBar->currentMessage() == shown) {
        controls.statusBar->clearMessage();
    }
    shown.clear();
}

void ServiceCue::holdCommands() {
    if (!active()) {
        return;
    }
    for (const console::ControlId id : console::commandControls()) {
        if (QWidget* command = controls.control(id)) {
            wanted[id] = command->isEnabled();
            command->setEnabled(false);
        }
    }
}

}  // namespace ecuprobe::ui
