#include "cli/parameter_inputs.h"

#include <algorithm>

#include "cli/live_printer.h"

namespace ecuprobe::cli {

namespace {

using console::ParameterField;
using console::ParameterFieldInfo;

const ParameterFieldInfo& infoOf(ParameterField field) {
    return console::parameterFields()[static_cast<std::size_t>(field)];
}

std::string valueWithUnit(const ParameterFieldInfo& info, const console::ParameterTexts& texts) {
    std::string text = texts[static_cast<std::size_t>(info.field)];
    if (!info.unit.empty()) {
        text += ' ';
        text += info.unit;
    }
    return text;
}

}  // namespace

bool ParameterInputs::any() const {
    return std::any_of(texts.begin(), texts.end(),
                       [](const std::optional<std::string>& text) { return text.has_value(); });
}

void typeInto(console::ControlParameterForm& form, const ParameterInputs& given) {
    for (const ParameterFieldInfo& info : console::parameterFields()) {
        if (const std::optional<std::string>& text =
                given.texts[static_cast<std::size_t>(info.field)]) {
            form.text(info.field) = *text;
            form.touch(info.field);
        }
    }
}

std::string parameterProblem(const ParameterInputs& given) {
    console::ControlParameterForm form{ecu::LiveData{}};
    typeInto(form, given);
    const console::ParameterCheck check = form.validate();
    if (check.valid()) {
        return {};
    }
    return std::string(infoOf(*check.field).caption) + " " + check.message;
}

std::string parameterLine(ParameterField field, const console::ParameterTexts& texts) {
    const ParameterFieldInfo& info = infoOf(field);
    return std::string(info.caption) + " " + valueWithUnit(info, texts);
}

std::string parameterLines(const console::ControlParameterValues& values) {
    const console::ParameterTexts texts = console::parameterTexts(values);
    std::size_t column = 0;
    for (const ParameterFieldInfo& info : console::parameterFields()) {
        column = std::max(column, displayWidth(info.caption));
    }
    std::string lines;
    for (const ParameterFieldInfo& info : console::parameterFields()) {
        lines += info.caption;
        lines.append(column + 1 - displayWidth(info.caption), ' ');
        lines += valueWithUnit(info, texts) + '\n';
    }
    return lines;
}

}  // namespace ecuprobe::cli
