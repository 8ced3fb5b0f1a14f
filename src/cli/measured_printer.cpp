#include "cli/measured_printer.h"

#include <map>
#include <string_view>

#include "reports/report_text.h"

namespace ecuprobe::cli {

std::string resultText(const console::MeasuredForm& form) {
    std::map<console::ControlId, std::string> shown;
    for (auto& [id, text] : form.resultTexts()) {
        shown[id] = text;
    }
    std::string text;
    for (const console::ResultRow& row : form.test().results) {
        // The terminal spells some captions and units its own way.
        const std::string_view caption =
            row.terminalCaption.empty() ? row.caption : row.terminalCaption;
        const std::string_view unit = row.terminalUnit.empty() ? row.unit : row.terminalUnit;
        text += std::string(caption) + ' ';
        text += row.second ? "Начало " + shown[row.first.id] + ", Окочание " + shown[row.second->id]
                           : shown[row.first.id];
        text += unit.empty() ? "\n" : ' ' + std::string(unit) + '\n';
    }
    if (form.crossings().valid()) {
        text += "Длительность по интерполяции между отсчётами: " +
                reports::fixed(form.crossings().durationMs() / 1000.0, 4) + " сек.\n";
    }
    return text;
}

void ProgressLine::show(const measure::SampleProgress& p) {
    if (!shown) {
        return;
    }
    const bool arming = p.phase == measure::SampleProgress::Phase::arming;
    out << "\r\x1b[K" << (arming ? "ожидание" : "запись") << ": " << p.value << " (от "
        << p.startLimit << " до " << p.endLimit << "), ответов " << p.samples;
    out.flush();
    drawn = true;
}

void ProgressLine::finish() {
    if (drawn) {
        out << '\n';
        drawn = false;
    }
}

}  // namespace ecuprobe::cli
