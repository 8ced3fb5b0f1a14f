#pragma once

#include <QMetaType>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/control_parameter_form.h"
#include "console/identification_content.h"
#include "console/panel_snapshot.h"
#include "console/tester_panel.h"
#include "reports/measured_report.h"

namespace ecuprobe::ui {

// What the window shows about the line besides the console's own controls.
struct LinkStatus {
    // "Начать" was pressed on this console.
    bool started = false;
    // The session counts the ECU connected and it answered the last request.
    bool ecuAnswering = false;
    // The device behind the chosen COM slot.
    std::string devicePath;
    // The wire trace asked for has lost a line: its file no longer holds the session.
    bool traceBroken = false;
    // The drive log being written, empty while none is, and its rows so far.
    std::string driveLogPath;
    std::size_t driveLogRows = 0;

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
    // Told once: what the tester may have held and how handing it back went.
    std::vector<std::string> news;
    // Told once: what a slow USB adapter costs and how to mend it.
    std::string adapterAdvice;
};

// How a click on the console ended, with what the view shows for it.
struct ClickAnswer {
    console::ControlId id = 0;
    console::ClickOutcome outcome = console::ClickOutcome::ignored;
    std::string text;
    console::DialogKind dialog = console::DialogKind::none;
    std::optional<console::IdentificationContent> identification;
    // The control-parameter dialog's form, from the live values at the click.
    std::optional<console::ControlParameterForm> parameters;
    // How "Запись" went, and the dump file it was appended to.
    std::optional<reports::ReportOutcome> report;
    std::string reportPath;
    // "ЭБУ не ответил: ..." after "Идент." or "Запись" left fields unread; else empty.
    std::string unanswered;
    // The dump file that could not be written and why; empty otherwise.
    std::string reportProblem;
};

}  // namespace ecuprobe::ui

Q_DECLARE_METATYPE(ecuprobe::ui::LinkReport)
Q_DECLARE_METATYPE(ecuprobe::ui::ClickAnswer)
