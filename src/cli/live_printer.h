#pragma once

#include <span>
#include <string>
#include <string_view>

#include "console/panel_controls.h"
#include "ecu/live_data.h"

namespace ecuprobe::cli {

// One value of the live read as the command-line tester prints it.
struct LiveField {
    std::string_view name;        // the LiveData field, also the TSV column
    console::ControlId control;   // the console's box whose caption it takes; 0 for none
    std::string_view ownCaption;  // where the console's caption does not stand alone
    std::string_view unit;
    std::string (*format)(const ecu::LiveData&);
};

// Every value the live read fills, in the order of LiveData.
std::span<const LiveField> liveFields();

// The console's caption, ending in ':'; the field name where the console shows none.
std::string fieldCaption(const LiveField& field);

std::string tsvHeader();
std::string tsvLine(const ecu::LiveData& data);
// One "caption  value unit" line per value, values in one column.
std::string captionLines(const ecu::LiveData& data);

// Characters, not bytes, of UTF-8 text: the captions are Russian.
std::size_t displayWidth(std::string_view text);

}  // namespace ecuprobe::cli
