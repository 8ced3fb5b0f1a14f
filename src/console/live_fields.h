#pragma once

#include <span>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "ecu/live_data.h"

namespace ecuprobe::console {

// One value of the live read as the faces of the tester name, caption and print it.
struct LiveField {
    std::string_view name;        // the LiveData field, also the column of tables and logs
    ControlId control;            // the console's box whose caption it takes; 0 for none
    std::string_view ownCaption;  // where the console's caption does not stand alone
    std::string_view unit;
    std::string (*format)(const ecu::LiveData&);
};

// Every value the live read fills, in the order of LiveData: the one list that
// the terminal console, the tables and the drive log go by.
std::span<const LiveField> liveFields();

// The console's caption, ending in ':'; the field name where the console shows none.
std::string fieldCaption(const LiveField& field);

}  // namespace ecuprobe::console
