#include "console/control_parameter_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "ecu/live_fields.h"

namespace ecuprobe::console {

namespace {

constexpr std::string_view blanks = " \t\r\n";
constexpr std::uint32_t lowestPercent = 0;
constexpr std::uint32_t highestPercent = 100;
constexpr double coCorrectionChange = 0.00002;
constexpr double ignitionCorrectionChange = 0.01;

constexpr std::string_view rcodQuestion =
    "Сохранить в долговременную память Коэффициент коррекции СО на холостом ходу(RCOD)?";
constexpr std::string_view rcokQuestion =
    "Сохранить в долговременную память Коэффициент коррекции топливоподачи (RCOK)?";
constexpr std::string_view ignitionQuestion =
    "Сохранить в долговременную память поправку угла опережения зажигания?";

constexpr std::array<ParameterFieldInfo, parameterFieldCount> fields{{
    {ParameterField::idleStepper, 1072, "Рег.ХХ(РДВ):", {}},
    {ParameterField::idleSpeed, 1075, "Обороты ХХ:", {}},
    {ParameterField::ignitionCorrection, 1139, "Поправка УОЗ:", {}},
    {ParameterField::purgeDegree, 1143, "Степень продувки адсорбера (JADS):", "%"},
    {ParameterField::egrDegree, 1142, "Степень рецирк.отраб.газов(JEGR):", "%"},
    {ParameterField::rcod, 1140, "Коррекция CO по смещ. (RCOD):", {}},
    {ParameterField::rcok, 1141, "Коэф. коррекции CO (RCOK):", {}},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A leading '+' is allowed before the number, nothing else around it but blanks.
std::string_view numberPart(std::string_view text) {
    std::string_view digits = trimmed(text);
    if (digits.starts_with('+') && !digits.substr(1).starts_with('-') &&
        !digits.substr(1).starts_with('+')) {
        digits.remove_prefix(1);
    }
    return digits;
}

template <typename Number>
bool readsWhole(std::string_view digits, Number& value) {
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
}

std::optional<std::uint32_t> readUnsigned(std::string_view text) {
    std::uint32_t value = 0;
    return readsWhole(numberPart(text), value) ? std::optional(value) : std::nullopt;
}

// Infinities, not-a-number and values beyond single precision are no numbers here.
std::optional<float> readFloat(std::string_view text) {
    double value = 0;
    if (!readsWhole(numberPart(text), value) || !std::isfinite(value) ||
        std::abs(value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

std::string rangeMessage() {
    return "Please enter an integer between " + std::to_string(lowestPercent) + " and " +
           std::to_string(highestPercent) + ".";
}

// The CO corrections refuse what the ECU cannot carry: above 0, and RCOK below
// -0.5. RCOD below -0.3 is limited by its set, as the stepper and idle speed are.
std::string coRangeProblem(ParameterField field, float value) {
    if (field != ParameterField::rcod && field != ParameterField::rcok) {
        return {};
    }
    const bool rcok = field == ParameterField::rcok;
    if (value <= ecu::highestCoCorrection && (!rcok || value >= ecu::lowestRcok)) {
        return {};
    }
    const float lowest = rcok ? ecu::lowestRcok : ecu::lowestRcod;
    return "Please enter a number between " + ecu::formatFloat(lowest) + " and " +
           ecu::formatFloat(ecu::highestCoCorrection) + ".";
}

using V = ControlParameterValues;

// Where each field's value goes, by ParameterField: a whole number, or a float.
struct FieldSlot {
    std::uint32_t V::*whole;
    float V::*real;
    bool percent;  // 0 to 100 only
};

constexpr std::array<FieldSlot, parameterFieldCount> slots{{
    {&V::idleStepper, nullptr, false},
    {&V::idleSpeed, nullptr, false},
    {nullptr, &V::ignitionCorrection, false},
    {&V::purgeDegree, nullptr, true},
    {&V::egrDegree, nullptr, true},
    {nullptr, &V::rcod, false},
    {nullptr, &V::rcok, false},
}};

// Reads one field into its value; returns the validation message, empty when it read.
std::string readField(ParameterField field, const std::string& text, V& values) {
    const FieldSlot& slot = slots[static_cast<std::size_t>(field)];
    if (slot.real != nullptr) {
        const std::optional<float> number = readFloat(text);
        if (!number) {
            return "Please enter a number.";
        }
        values.*slot.real = *number;
        return coRangeProblem(field, *number);
    }
    const std::optional<std::uint32_t> number = readUnsigned(text);
    if (!number) {
        return "Please enter a positive integer.";
    }
    if (slot.percent && *number > highestPercent) {
        return rangeMessage();
    }
    values.*slot.whole = *number;
    return {};
}

// A parameter the dialog offers to store once it has set a new value.
struct StoredParameter {
    ParameterField field;
    float V::*value;
    double change;  // a difference above this counts, computed in double from the floats
    float (ecu::EcuSession::*set)(float&);
    float (ecu::EcuSession::*store)();
    std::string_view question;
};

constexpr std::array<StoredParameter, 3> storedParameters{{
    {ParameterField::rcod, &V::rcod, coCorrectionChange, &ecu::EcuSession::setRcod,
     &ecu::EcuSession::storeRcod, rcodQuestion},
    {ParameterField::rcok, &V::rcok, coCorrectionChange, &ecu::EcuSession::setRcok,
     &ecu::EcuSession::storeRcok, rcokQuestion},
    {ParameterField::ignitionCorrection, &V::ignitionCorrection, ignitionCorrectionChange,
     &ecu::EcuSession::setIgnitionCorrection, &ecu::EcuSession::storeIgnitionCorrection,
     ignitionQuestion},
}};

const StoredParameter* storedParameter(ParameterField field) {
    const auto* found = std::find_if(
        storedParameters.begin(), storedParameters.end(),
        [field](const StoredParameter& parameter) { return parameter.field == field; });
    return found == storedParameters.end() ? nullptr : &*found;
}

// True when the store went out. After a stop nobody is asked: the store would
// be withheld whatever the answer.
bool askAndStore(const StoredParameter& parameter, ecu::EcuSession& session,
                 reports::UserPrompts& prompts) {
    if (session.stopRequested() ||
        !prompts.askYesNo(storeQuestionCaption, parameter.question, true)) {
        return false;
    }
    (session.*parameter.store)();
    return session.lastWriteReply() != ecu::WriteReply::withheld;
}

}  // namespace

std::span<const ParameterFieldInfo> parameterFields() {
    return fields;
}

ControlParameterValues ControlParameterValues::from(const ecu::LiveData& live) {
    ControlParameterValues v;
    v.idleStepper = live.fsmCopy;
    v.idleSpeed = live.FREQXX;
    v.ignitionCorrection = live.UOZOC;
    v.purgeDegree = live.JADS;
    v.egrDegree = live.JEGR;
    v.rcod = live.RCOD;
    v.rcok = live.RCOK;
    return v;
}

ParameterTexts parameterTexts(const ControlParameterValues& values) {
    ParameterTexts texts;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        texts[i] = slots[i].real != nullptr ? ecu::formatFloat(values.*slots[i].real)
                                            : std::to_string(values.*slots[i].whole);
    }
    return texts;
}

ParameterCheck readParameterTexts(const ParameterTexts& texts) {
    ControlParameterValues values;
    for (const ParameterFieldInfo& info : fields) {
        std::string message =
            readField(info.field, texts[static_cast<std::size_t>(info.field)], values);
        if (!message.empty()) {
            return {std::nullopt, std::move(message), info.field};
        }
    }
    return {values, {}, std::nullopt};
}

ControlParameterForm::ControlParameterForm(const ecu::LiveData& live)
    : start(ControlParameterValues::from(live)), fieldTexts(parameterTexts(start)) {}

std::string& ControlParameterForm::text(ParameterField field) {
    return fieldTexts[static_cast<std::size_t>(field)];
}

const std::string& ControlParameterForm::text(ParameterField field) const {
    return fieldTexts[static_cast<std::size_t>(field)];
}

// Between the services the poll may run.
ParameterCheck ControlParameterForm::apply(ecu::EcuSession& session,
                                           reports::UserPrompts& prompts) {
    ParameterCheck check = validate();
    if (!check.valid()) {
        return check;
    }
    V& v = *check.values;
    if (changed(ParameterField::idleStepper, v.idleStepper != start.idleStepper)) {
        session.setIdleStepper(v.idleStepper);
    }
    if (changed(ParameterField::idleSpeed, v.idleSpeed != start.idleSpeed)) {
        session.setIdleSpeed(v.idleSpeed);
    }
    setAndOfferStore(ParameterField::rcod, v, session, prompts);
    setAndOfferStore(ParameterField::rcok, v, session, prompts);
    if (changed(ParameterField::egrDegree, v.egrDegree != start.egrDegree)) {
        session.setEgrDegree(v.egrDegree);
    }
    if (changed(ParameterField::purgeDegree, v.purgeDegree != start.purgeDegree)) {
        session.setPurgeDegree(v.purgeDegree);
    }
    setAndOfferStore(ParameterField::ignitionCorrection, v, session, prompts);
    fieldTexts = parameterTexts(v);
    return check;
}

void ControlParameterForm::touch(ParameterField field) {
    touched[static_cast<std::size_t>(field)] = true;
}

bool ControlParameterForm::changed(ParameterField field, bool differs) const {
    return differs || touched[static_cast<std::size_t>(field)];
}

// The question comes whenever the value changed, whatever the set achieved.
void ControlParameterForm::setAndOfferStore(ParameterField field, V& values,
                                            ecu::EcuSession& session,
                                            reports::UserPrompts& prompts) const {
    const StoredParameter& parameter = *storedParameter(field);
    float& value = values.*parameter.value;
    const double difference =
        static_cast<double>(value) - static_cast<double>(start.*parameter.value);
    if (!changed(field, std::abs(difference) > parameter.change)) {
        return;
    }
    (session.*parameter.set)(value);
    askAndStore(parameter, session, prompts);
}

std::string limitNote(ParameterField field, const ControlParameterValues& values) {
    V limited = values;
    switch (field) {
        case ParameterField::idleStepper:
            limited.idleStepper = std::min(values.idleStepper, ecu::maxIdleStepper);
            break;
        case ParameterField::idleSpeed:
            limited.idleSpeed = std::min(values.idleSpeed, ecu::maxIdleSpeed);
            break;
        case ParameterField::ignitionCorrection:
            limited.ignitionCorrection = std::clamp(
                values.ignitionCorrection, -ecu::maxIgnitionCorrection, ecu::maxIgnitionCorrection);
            break;
        case ParameterField::rcod:
            limited.rcod = std::max(values.rcod, ecu::lowestRcod);
            break;
        case ParameterField::purgeDegree:
        case ParameterField::egrDegree:
        case ParameterField::rcok:
            break;
    }
    if (limited == values) {
        return {};
    }
    const auto i = static_cast<std::size_t>(field);
    return std::string(fields[i].caption) + " " + parameterTexts(values)[i] +
           " is beyond its limit and is sent as " + parameterTexts(limited)[i];
}

bool offerToStore(ParameterField field, ecu::EcuSession& session, reports::UserPrompts& prompts) {
    const StoredParameter* parameter = storedParameter(field);
    return parameter != nullptr && askAndStore(*parameter, session, prompts);
}

}  // namespace ecuprobe::console
