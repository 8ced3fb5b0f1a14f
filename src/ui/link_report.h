#pragma once

#include <QMetaType>

#include <cstdint>
#include <string>

#include "console/panel_snapshot.h"
#include "console/tester_panel.h"

namespace ecuprobe::ui {

// What the window shows about the line besides the console's own controls.
struct LinkStatus {
    // "Начать" was pressed on this console.
    bool started = false;
    bool portOpen = false;
    // The adapter reported that it has gone (unplugged), not merely silent.
    bool deviceGone = false;
    // The session counts the ECU connected and it answered the last request.
    bool ecuAnswering = false;
    // The device behind the chosen COM slot.
    std::string devicePath;
    // Why the port could not be opened on "Начать"; empty otherwise.
    std::string openFailure;

    bool operator==(const LinkStatus&) const = default;
};

enum class ReportCause { opened, tick, click, service };

// What the link thread posts after a tick, a click or a service.
struct LinkReport {
    console::PanelSnapshot snapshot;
    LinkStatus status;
    ReportCause cause = ReportCause::opened;
    // The link's clock when the report was made, in ms.
    std::uint32_t atMs = 0;
};

// How a click on the console ended, with the text the view shows for it.
struct ClickAnswer {
    console::ControlId id = 0;
    console::ClickOutcome outcome = console::ClickOutcome::ignored;
    std::string text;
};

// The status bar's line about the link: "адаптер отключён: <path>",
// "ЭБУ не отвечает", a port that did not open, or empty while all is well.
std::string linkStatusText(const LinkStatus& status);

}  // namespace ecuprobe::ui

Q_DECLARE_METATYPE(ecuprobe::ui::LinkReport)
Q_DECLARE_METATYPE(ecuprobe::ui::ClickAnswer)
