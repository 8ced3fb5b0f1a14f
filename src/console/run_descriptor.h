#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "console/panel_controls.h"
#include "measure/run_sample.h"
#include "reports/measured_report.h"

namespace ecuprobe::console {

// A message of a test dialog: its text and caption (always with the error icon).
struct TestMessage {
    std::string_view text;
    std::string_view caption;
};

// The message a test shows for a run that did not end Ok.
struct RunErrorText {
    measure::SampleResult code;
    TestMessage message;
};

// The captions every test shows its messages under, and the one run error all
// three tests tell alike.
inline constexpr std::string_view inputCaption = "Ошибка задания параметров";
inline constexpr std::string_view runCaption = "Ошибка исполнения";
inline constexpr RunErrorText linkLostError{
    measure::SampleResult::LinkLost, {"Ошибка потеряна связь с ЭБУ", "Ошибка исполнения теста"}};

// What a result field or a report line shows of a run.
enum class Quantity : std::uint8_t {
    seconds,  // durationMs times the single-precision 0.001
    rpmFirst,
    rpmLast,
    speedFirst,
    speedLast,
    coolantFirst,
    coolantLast,
    coolantChange,  // last minus first
    fuelPerHourFirst,
    fuelPerHourLast,
    fuelPerDistanceFirst,
    fuelPerDistanceLast,
    airFirst,
    airLast,
    engineRise,  // rpm per second, last minus first
    vehicleRise,
    engineFall,  // first minus last
    vehicleFall,
    gear,  // the gear chosen, 0 for none
};

// A whole number, shown as digits, or a single-precision value, shown as the
// console shows its floats.
using FieldValue = std::variant<std::int64_t, float>;

// A quantity of a run: its record, its seconds and the gear it was run in.
FieldValue valueOf(Quantity quantity, const measure::TestResult& record, float seconds, int gear);

// A change per second; 0 for a run that took no time, rather than a division by zero.
float perSecond(std::int32_t change, float seconds);
// Seconds of a run: durationMs times the single-precision 0.001.
float runSeconds(const measure::TestResult& record);

struct ResultField {
    ControlId id;
    Quantity quantity;
};

// One line of results: the field (and the field after it, for the pairs under
// "Начало" and "Окочание"), with the captions and units of the dialog and of the
// terminal, which spell them apart.
struct ResultRow {
    std::uint8_t group;  // index into RunDescriptor::groups
    std::string_view caption;
    ResultField first;
    std::optional<ResultField> second;
    std::string_view unit;
    std::string_view terminalCaption;
    std::string_view terminalUnit;
    // Standing (no gear), the field keeps what it showed and its report line is left out.
    bool onTheMoveOnly = false;
};

// A frame around result rows; an empty title is rows without a frame. A group
// beside the previous one shares its line.
struct ResultGroup {
    std::string_view title;
    bool besidePrevious = false;
};

// A body line of the report: a C format and the quantities it prints.
struct ReportLine {
    std::string_view format;
    Quantity first;
    std::optional<Quantity> second;
    bool onTheMoveOnly = false;
};

// A check of the two levels before anything is sent.
struct LevelCheck {
    enum class Rule : std::uint8_t {
        endAbove,    // end > limit
        startBelow,  // start < limit
        riseUnder,   // not end - start >= limit
        fallUnder,   // start - end < limit
        same,        // start == end
    };
    Rule rule;
    std::int64_t limit;
    std::string_view message;
};

// How the dialog reads a level field's text.
enum class LevelText : std::uint8_t {
    firstFourDigits,  // the leading digits of its first four characters, 0 for none
    signedWhole,      // a whole number, or the field's message
    unsignedWhole,
};

struct LevelInput {
    ControlId id;
    std::string_view caption;
    std::int64_t first;  // the level a new dialog starts with
    int width;           // in characters
    bool digitsOnly;
};

// How the dialog lays its inputs out.
enum class InputLayout : std::uint8_t {
    rowsThenChoices,  // the two levels in rows; "На ходу", the gears and "Сохранить" below
    groupBesideChoices,  // the levels in a frame; the gears over "Сохранить" beside it
    oneRowUnderText,     // the instructions, then both levels on one line with their unit
};

// Which sampler run a test makes.
enum class RunVariant : std::uint8_t {
    rpmRise,          // the engine from the start speed up to the end speed
    speedRiseOrFall,  // the car from one road speed to another, either way
    rpmFall,          // the engine coasting down with the fuel cut off
};

// One measured test as data: its dialog's controls and captions, its levels and
// their checks, its run, its error texts, its result fields and its report. The
// form, the dialog and the terminal loop over these rows.
struct RunDescriptor {
    std::string_view title;
    std::string_view startCaption;
    ControlId startId;  // 0 where the start button has no identifier of its own
    LevelInput start;
    LevelInput end;
    LevelText levelText;
    InputLayout layout;
    std::string_view levelGroup;  // the frame or the unit of the level fields
    ControlId onTheMove;          // 0 for a test run only standing or only moving
    ControlId gear1;              // 0 for no gear buttons; 1..4 are gear1 to gear1 + 3
    ControlId save;
    bool saveFirst;
    std::span<const std::string_view> instructions;
    RunVariant variant;
    bool watchesSpeed;  // the progress and chart follow km/h, else rpm
    std::span<const LevelCheck> checks;
    std::span<const RunErrorText> errors;
    std::span<const ResultGroup> groups;
    std::span<const ResultRow> results;
    std::span<const ReportLine> report;
    reports::TitleLines reportTitle;
    std::string_view detailExtension;
    reports::TitleLines detailTitle;
};

// "Тест динамических качеств", "Тест ускорения автомобиля", "Тест механических потерь".
extern const RunDescriptor dynamicRun;
extern const RunDescriptor accelerationRun;
extern const RunDescriptor lossRun;

// The value of a level field that counts by its first four characters.
std::uint32_t firstFourDigits(std::string_view text);

// The message of the first check the levels fail, none when they can be run.
std::optional<TestMessage> refusedLevels(const RunDescriptor& test, std::int64_t start,
                                         std::int64_t end);

// Controls of the dynamic test dialog.
namespace dynamic_test {
inline constexpr ControlId startSpeed = 1083;
inline constexpr ControlId endSpeed = 1084;
inline constexpr ControlId onTheMove = 1085;
inline constexpr ControlId gear1 = 1086;
inline constexpr ControlId save = 1090;
inline constexpr ControlId runUpTime = 1091;
inline constexpr ControlId rpmBefore = 1092;
inline constexpr ControlId speedBefore = 1093;
inline constexpr ControlId rpmAfter = 1094;
inline constexpr ControlId speedAfter = 1095;
inline constexpr ControlId engineAcceleration = 1096;
inline constexpr ControlId vehicleAcceleration = 1097;
inline constexpr ControlId fuelPerHourBefore = 1098;
inline constexpr ControlId airBefore = 1099;
inline constexpr ControlId fuelPerHourAfter = 1100;
inline constexpr ControlId airAfter = 1101;
inline constexpr ControlId fuelPerDistanceAfter = 1102;
inline constexpr ControlId fuelPerDistanceBefore = 1103;
inline constexpr ControlId coolantHeating = 1105;
}  // namespace dynamic_test

// Controls of the acceleration test dialog.
namespace acceleration_test {
inline constexpr ControlId gear1 = 1122;
inline constexpr ControlId save = 1126;
inline constexpr ControlId elapsedTime = 1127;
inline constexpr ControlId rpmAtStart = 1128;
inline constexpr ControlId rpmAtEnd = 1129;
inline constexpr ControlId engineRate = 1130;
inline constexpr ControlId speedAtStart = 1131;
inline constexpr ControlId speedAtEnd = 1132;
inline constexpr ControlId vehicleRate = 1133;
inline constexpr ControlId startSpeed = 1134;
inline constexpr ControlId endSpeed = 1135;
inline constexpr ControlId start = 1109;
}  // namespace acceleration_test

// Controls of the mechanical loss test dialog.
namespace loss_test {
inline constexpr ControlId startSpeed = 1083;
inline constexpr ControlId endSpeed = 1084;
inline constexpr ControlId coolantChange = 1010;
inline constexpr ControlId engineDecay = 1011;
inline constexpr ControlId vehicleDecay = 1012;
inline constexpr ControlId rpmAtStart = 1092;
inline constexpr ControlId rpmAtEnd = 1094;
inline constexpr ControlId coastDownTime = 1112;
inline constexpr ControlId start = 1114;
inline constexpr ControlId save = 1119;
}  // namespace loss_test

}  // namespace ecuprobe::console
