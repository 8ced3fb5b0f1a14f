#include "cli/panel_view.h"

#include <vector>

#include "cli/live_printer.h"
#include "cli/monitor_input.h"
#include "console/live_fields.h"
#include "console/panel_controls.h"

namespace ecuprobe::cli {

namespace {

namespace control = console::control;
using console::ControlId;
using console::LiveField;
using console::PanelSnapshot;

constexpr std::size_t captionColumn = 27;
constexpr std::size_t cellWidth = 44;

std::string_view unitOf(ControlId id) {
    const LiveField* field = console::liveFieldFor(id);
    return field != nullptr ? console::fieldUnit(*field) : std::string_view();
}

std::string caption(ControlId id) {
    const LiveField* field = console::liveFieldFor(id);
    return field != nullptr ? console::fieldCaption(*field) : std::string(console::caption(id));
}

void padTo(std::string& text, std::size_t width) {
    const std::size_t now = displayWidth(text);
    text.append(now < width ? width - now : 1, ' ');
}

std::string liveCell(const PanelSnapshot& shown, ControlId id) {
    std::string cell = caption(id);
    padTo(cell, captionColumn);
    cell += shown.text(id);
    if (const std::string_view unit = unitOf(id); !unit.empty()) {
        cell += ' ';
        cell += unit;
    }
    return cell;
}

std::string mark(const PanelSnapshot& shown, ControlId id) {
    const char* tick = shown.isChecked(id) ? "x" : " ";
    // The state flags are only shown, never enabled; brackets mark what can be clicked.
    const bool usable = wordsFor(id).empty() || shown.isEnabled(id);
    return usable ? std::string("[") + tick + "]" : std::string("(") + tick + ")";
}

// Cells side by side, two to a line.
void appendInPairs(std::string& text, const std::vector<std::string>& cells) {
    for (std::size_t n = 0; n < cells.size(); n += 2) {
        std::string line = "  " + cells[n];
        if (n + 1 < cells.size()) {
            padTo(line, cellWidth + 2);
            line += cells[n + 1];
        }
        text += line + '\n';
    }
}

void appendLiveValues(std::string& text, const PanelSnapshot& shown) {
    text += "Параметры двигателя\n";
    std::vector<std::string> cells;
    for (const ControlId id : console::liveValueControls()) {
        cells.push_back(liveCell(shown, id));
    }
    appendInPairs(text, cells);
    cells.clear();
    for (const ControlId id : console::stateFlagControls()) {
        cells.push_back(mark(shown, id) + " " + caption(id));
    }
    appendInPairs(text, cells);
}

void appendSwitches(std::string& text, const PanelSnapshot& shown) {
    text += "Управление ИМ   (x = включено; в скобках ( ) недоступно)\n";
    std::vector<std::string> cells;
    for (const ControlId id : console::switchControls()) {
        cells.push_back(mark(shown, id) + " " + switchLabel(id) + "  [" +
                        std::string(wordsFor(id)) + "]");
    }
    const ControlId release = control::releaseControls;
    const std::string button(console::caption(release));
    cells.push_back((shown.isEnabled(release) ? "[" + button + "]" : "(" + button + ")") +
                    "  [release]");
    appendInPairs(text, cells);
    if (!shown.heldNote.empty()) {
        text += "! " + shown.heldNote + "\n";
    }
}

void appendFaultsAndState(std::string& text, const PanelSnapshot& shown) {
    text += "Check Eigine (Ошибки): " + shown.text(control::faultText) + "  (" +
            shown.text(control::faultCount) + ")\n";
    text += "Состояние: " + shown.text(control::statusText) + "\n";
    text += "Период опроса: " + shown.text(control::period) + " с (" +
            std::to_string(shown.periodMs) + " мс)" + (shown.timerRunning ? "" : ", опрос стоит") +
            "\n";
}

}  // namespace

std::string switchLabel(ControlId id) {
    const std::string own(console::caption(id));
    if (id >= control::injector1 && id <= control::injector4) {
        return "Форсунка " + own;
    }
    if (id == control::coil14 || id == control::coil23) {
        return "Зажигание " + own;
    }
    return own;
}

std::string renderPanel(const PanelSnapshot& shown, std::string_view message) {
    std::string text = std::string(console::dialogTitle) + "\n";
    appendLiveValues(text, shown);
    appendSwitches(text, shown);
    appendFaultsAndState(text, shown);
    if (!message.empty()) {
        text += "> ";
        text += message;
        text += '\n';
    }
    text +=
        "Команды: inj 1..4, coil 14|23, pump, lamp, ac, fan, purge, lambda, knock, release,\n"
        "         ident, set, store, reset, report, test dynamic|accel|loss,\n"
        "         clear-faults, decode, period 0|1|2, help, quit\n";
    if (!shown.link.text.empty()) {
        text += "Связь: " + shown.link.line() + "\n";
    }
    return text;
}

void PanelView::draw(const PanelSnapshot& shown, std::string_view message) {
    if (ansi) {
        // Home, then clear the screen: the picture replaces the last one in place.
        out << "\x1b[H\x1b[2J";
    } else {
        out << "----\n";
    }
    out << renderPanel(shown, message);
    out.flush();
}

}  // namespace ecuprobe::cli
