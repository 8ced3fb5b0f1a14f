#pragma once

#include <array>
#include <optional>
#include <string>

#include "console/control_parameter_form.h"

namespace ecuprobe::cli {

// Control parameters given on a command line (params) or typed into the monitor
// (set), each as the text its field of the dialog would hold, by ParameterField.
struct ParameterInputs {
    std::array<std::optional<std::string>, console::parameterFieldCount> texts;

    std::optional<std::string>& operator[](console::ParameterField field) {
        return texts[static_cast<std::size_t>(field)];
    }
    bool any() const;
};

// Types the given values into the form's fields, each counted as changed.
void typeInto(console::ControlParameterForm& form, const ParameterInputs& given);

// "Обороты ХХ: Please enter a positive integer.": the validation text of the
// first given field the dialog refuses, in its order, after the field's caption;
// empty when every given value reads.
std::string parameterProblem(const ParameterInputs& given);

// One field with its caption and unit: "Обороты ХХ: 900".
std::string parameterLine(console::ParameterField field, const console::ParameterTexts& texts);
// The seven values, one a line in the dialog's order, values in one column.
std::string parameterLines(const console::ControlParameterValues& values);

}  // namespace ecuprobe::cli
