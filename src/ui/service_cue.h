#pragma once

#include <QString>

#include <map>

#include "console/panel_controls.h"

class QWidget;

namespace ecuprobe::ui {

class ConsoleForm;

// What the console shows while a service it started (the identification, the
// report, the stores of the control parameters) holds the link thread: a busy
// cursor over it, a line on its status bar saying what runs, and the commands,
// which the link thread would refuse meanwhile, disabled. end() takes it all
// back, whatever way the service ended.
class ServiceCue {
public:
    ServiceCue(QWidget& console, ConsoleForm& form) : window(console), controls(form) {}

    void begin(const QString& text);
    void end();
    bool active() const { return !shown.isEmpty(); }
    // Right after the form has shown a report: the commands stay off while a
    // service runs, and come back as that report has them when it ends.
    void holdCommands();

private:
    QWidget& window;
    ConsoleForm& controls;
    QString shown;
    // Whether each command was enabled as the console last showed it.
    std::map<console::ControlId, bool> wanted;
};

}  // namespace ecuprobe::ui
