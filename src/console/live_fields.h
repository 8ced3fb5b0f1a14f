#pragma once

#include <span>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "ecu/live_data.h"
#include "ecu/live_fields.h"

namespace ecuprobe::console {

// One live value as the console captions it. Its name, how it is read, its
// unit and format are those of its entry in ecu::liveFieldTable().
struct LiveField {
    std::string_view name;     // the entry in ecu::liveFieldTable()
    ControlId control;         // the console's box that shows it; 0 for none
    std::string_view caption;  // beside a value or flag box; switches carry theirs
    // Where the box's caption does not stand alone, as text beside the value.
    std::string_view ownCaption;
};

// Every value the live read fills, in the order of LiveData: the one list that
// the console's boxes, the terminal console, the tables and the drive log go by.
std::span<const LiveField> liveFields();

// The field shown in a value or flag box (or switch box), nullptr for none.
const LiveField* liveFieldFor(ControlId id);

// The field's entry in ecu::liveFieldTable(); nullptr only for a name it lacks.
const ecu::LiveField* entryOf(const LiveField& field);

// The value as the console shows it, and its unit; empty for a name the ecu
// table lacks.
std::string fieldText(const LiveField& field, const ecu::LiveData& data);
std::string_view fieldUnit(const LiveField& field);

// The console's caption, ending in ':'; the field name where the console shows none.
std::string fieldCaption(const LiveField& field);

}  // namespace ecuprobe::console
