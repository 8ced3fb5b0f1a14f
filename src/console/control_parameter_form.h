#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "ecu/ecu_session.h"
#include "reports/user_prompts.h"

namespace ecuprobe::console {

// The fields of the control-parameter dialog, in the dialog's order.
enum class ParameterField : std::uint8_t {
    idleStepper,         // steps
    idleSpeed,           // rpm
    ignitionCorrection,  // degrees
    purgeDegree,         // JADS, %
    egrDegree,           // JEGR, %
    rcod,
    rcok,
};
inline constexpr std::size_t parameterFieldCount = 7;

struct ParameterFieldInfo {
    ParameterField field;
    ControlId control;  // in the control-parameter dialog, not the console
    std::string_view caption;
    std::string_view unit;  // shown after the field; empty for none
};

// Every field of the dialog, in its order.
std::span<const ParameterFieldInfo> parameterFields();

inline constexpr std::string_view parameterDialogTitle = "Установка упр. параметров";
inline constexpr std::string_view parameterOkCaption = "Ввод";
inline constexpr std::string_view parameterCancelCaption = "Отмена";
inline constexpr std::string_view storeQuestionCaption = "Сохранение в долговременную память.";

struct ControlParameterValues {
    std::uint32_t idleStepper = 0;
    std::uint32_t idleSpeed = 0;
    float ignitionCorrection = 0.0f;
    std::uint32_t purgeDegree = 0;
    std::uint32_t egrDegree = 0;
    float rcod = 0.0f;
    float rcok = 0.0f;

    // The values the dialog starts from.
    static ControlParameterValues from(const ecu::LiveData& live);
    bool operator==(const ControlParameterValues&) const = default;
};

// The texts of the dialog's fields, by ParameterField.
using ParameterTexts = std::array<std::string, parameterFieldCount>;

// Unsigned values in decimal, the others in the shortest "%.*g" form with 6 digits.
ParameterTexts parameterTexts(const ControlParameterValues& values);

// The texts read back: the values, or the validation message of the first field
// (in the dialog's order) that does not read.
struct ParameterCheck {
    std::optional<ControlParameterValues> values;
    std::string message;
    std::optional<ParameterField> field;

    bool valid() const { return message.empty(); }
};

// A pure function of the texts, so a view may call it on any thread.
ParameterCheck readParameterTexts(const ParameterTexts& texts);

// The control-parameter dialog without a toolkit: the view edits the texts;
// OK is apply(), Cancel is dropping the form.
class ControlParameterForm {
public:
    explicit ControlParameterForm(const ecu::LiveData& live);

    std::string& text(ParameterField field);
    const std::string& text(ParameterField field) const;
    const ParameterTexts& texts() const { return fieldTexts; }
    const ControlParameterValues& starting() const { return start; }
    ParameterCheck validate() const { return readParameterTexts(fieldTexts); }
    // Counts the field as changed even while it holds its starting value: a value
    // given on a command line is sent as it stands.
    void touch(ParameterField field);

    // OK, on the link thread: when a field does not read, returns its message and
    // sends nothing. Otherwise sets every changed parameter in the dialog's order
    // of service (stepper, idle speed, RCOD, RCOK, JEGR, JADS, ignition
    // correction), asks whether to store each changed RCOD, RCOK and ignition
    // correction, and returns the values as the sets left them, which the texts
    // then show.
    ParameterCheck apply(ecu::EcuSession& session, reports::UserPrompts& prompts);

private:
    bool changed(ParameterField field, bool differs) const;
    void setAndOfferStore(ParameterField field, ControlParameterValues& values,
                          ecu::EcuSession& session, reports::UserPrompts& prompts) const;

    ControlParameterValues start;
    ParameterTexts fieldTexts;
    std::array<bool, parameterFieldCount> touched{};
};

// "Рег.ХХ(РДВ): 300 is beyond its limit and is sent as 255": a value that its
// set will send as the limit (stepper 255, idle speed 2500, ignition correction
// -15..15, RCOD -0.3); empty for one sent as it stands.
std::string limitNote(ParameterField field, const ControlParameterValues& values);

// Asks whether to store the parameter in the ECU's non-volatile memory and
// stores it on Yes, as OK does after a new value; true when it was stored (the
// ECU's answer aside). The fields that cannot be stored are never asked about.
bool offerToStore(ParameterField field, ecu::EcuSession& session, reports::UserPrompts& prompts);

}  // namespace ecuprobe::console
