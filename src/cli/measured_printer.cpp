#include "cli/measured_printer.h"

#include <array>
#include <map>
#include <optional>
#include <span>
#include <string_view>

#include "console/acceleration_test_form.h"
#include "console/dynamic_test_form.h"
#include "console/loss_test_form.h"
#include "reports/report_text.h"

namespace ecuprobe::cli {

namespace {

using console::ControlId;

// One line of results: a caption, the field (and the field after, for the
// before/after pairs under "Начало" and "Окочание") and a unit.
struct ResultRow {
    std::string_view caption;
    ControlId field;
    std::optional<ControlId> after;
    std::string_view unit;
};

namespace dyn = console::dynamic_test;
namespace acc = console::acceleration_test;
namespace loss = console::loss_test;

constexpr std::array dynamicRows{
    ResultRow{"Время разгона(сек.):", dyn::runUpTime, {}, ""},
    ResultRow{"Обороты:", dyn::rpmBefore, dyn::rpmAfter, "об./мин."},
    ResultRow{"Скорость:", dyn::speedBefore, dyn::speedAfter, "км./час."},
    ResultRow{"Расход топлива: л./час:", dyn::fuelPerHourBefore, dyn::fuelPerHourAfter, ""},
    ResultRow{"Расход топлива: л./100км:", dyn::fuelPerDistanceBefore, dyn::fuelPerDistanceAfter,
              ""},
    ResultRow{"Расход воздуха:", dyn::airBefore, dyn::airAfter, "кг./час."},
    ResultRow{"Ускорение оборотов:", dyn::engineAcceleration, {}, "(об./мин)/сек."},
    ResultRow{"Ускорение автомобиля:", dyn::vehicleAcceleration, {}, "(км./час)/сек."},
    ResultRow{"Нагрев гр.:", dyn::coolantHeating, {}, "град.С."},
};

constexpr std::array accelerationRows{
    ResultRow{"Время выбега(сек.):", acc::elapsedTime, {}, ""},
    ResultRow{"Обороты:", acc::rpmAtStart, acc::rpmAtEnd, "об./мин."},
    ResultRow{"Скорость:", acc::speedAtStart, acc::speedAtEnd, "км./час."},
    ResultRow{"Ускорение оборотов:", acc::engineRate, {}, "(об./мин)/сек."},
    ResultRow{"Ускорение автомобиля:", acc::vehicleRate, {}, "(км./час)/сек."},
};

constexpr std::array lossRows{
    ResultRow{"Выбег:", loss::coastDownTime, {}, "сек."},
    ResultRow{"Изменение темп. ОЖ:", loss::coolantChange, {}, "град."},
    ResultRow{"Обороты двиг.(об/мин.):", loss::rpmAtStart, loss::rpmAtEnd, ""},
    ResultRow{"Ускорение оборотов двиг:", loss::engineDecay, {}, "об/м/с"},
    ResultRow{"Ускорение автомобиля:", loss::vehicleDecay, {}, "км/ч/с"},
};

std::span<const ResultRow> rowsFor(TestKind kind) {
    switch (kind) {
        case TestKind::dynamic:
            return dynamicRows;
        case TestKind::acceleration:
            return accelerationRows;
        case TestKind::loss:
            break;
    }
    return lossRows;
}

}  // namespace

std::string resultText(TestKind kind, const console::MeasuredTestForm& form) {
    std::map<ControlId, std::string> shown;
    for (auto& [id, text] : form.resultTexts()) {
        shown[id] = text;
    }
    std::string text;
    for (const ResultRow& row : rowsFor(kind)) {
        text += std::string(row.caption) + ' ';
        text += row.after ? "Начало " + shown[row.field] + ", Окочание " + shown[*row.after]
                          : shown[row.field];
        text += row.unit.empty() ? "\n" : ' ' + std::string(row.unit) + '\n';
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
