#pragma once

#include <QString>

#include <span>
#include <string_view>

#include "console/panel_controls.h"
#include "console/run_descriptor.h"

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QWidget;

namespace ecuprobe::ui {

// The pieces the test dialogs are laid out with, each control named c<id>.

// A row of a grid: caption, then read-only result fields in the next columns,
// then the unit when there is one.
void addResultRow(QWidget& host, QGridLayout* grid, int row, std::string_view caption,
                  std::span<const console::ControlId> ids, std::string_view unit = {});
// "Начало" and "Окочание" over the two columns of result fields.
void addStartEndHeads(QWidget& host, QGridLayout* grid, int row);
// A caption with its input field holding a first value.
void addInputRow(QWidget& host, QGridLayout* grid, int row, std::string_view caption,
                 QLineEdit* field, const QString& first);
// Gear buttons "1".."4" from the identifier of "1" on, in a group; ids 1..4 in buttons.
QGroupBox* gearButtons(QWidget& host, std::string_view title, console::ControlId first,
                       QButtonGroup*& buttons);
QCheckBox* checkBox(QWidget& host, console::ControlId id, std::string_view caption, bool checked);
// A frame around result rows.
QGroupBox* resultGroup(QWidget& host, std::string_view title, QGridLayout*& grid);

// The inputs of a measured test dialog; onTheMove and gears null where the test has none.
struct InputFields {
    QLineEdit* start = nullptr;
    QLineEdit* end = nullptr;
    QCheckBox* onTheMove = nullptr;
    QButtonGroup* gears = nullptr;
    QCheckBox* save = nullptr;
};

// Creates the test's inputs and result fields in host and lays them out.
InputFields layOutTest(QWidget& host, const console::RunDescriptor& test);

}  // namespace ecuprobe::ui
