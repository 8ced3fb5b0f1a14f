#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "console/panel_controls.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace ecuprobe::ui {

// The controls the console's dialogs are built of, each named c<id> like the
// console's own, so that tests and the screenshots find them by identifier.

// A read-only single-line field wide enough for digits characters.
QLineEdit* readOnlyField(QWidget& host, console::ControlId id, int digits = 8);
// An edit field for a number a person types, wide enough for digits characters.
QLineEdit* inputField(QWidget& host, console::ControlId id, int digits);
// Typing anything but digits into the field does nothing.
void acceptDigitsOnly(QLineEdit* field);
// A read-only multi-line field of lines lines, with a vertical scroll bar when needed.
QPlainTextEdit* readOnlyBlock(QWidget& host, console::ControlId id, int lines);
// The caption beside a field; Alt with its underlined letter would focus the field.
QLabel* captionFor(QWidget& host, QWidget* buddy, std::string_view caption);
// A field's value that did not read, told as a dialog's own field check does: the
// message over the dialog, then the focus on the field with its text selected.
void refuseField(QWidget& dialog, QLineEdit* field, const QString& message);
// A text with CR LF line ends, as the core keeps it, as Qt's widgets show it.
QString shownLines(const std::string& text);

}  // namespace ecuprobe::ui
