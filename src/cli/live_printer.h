#pragma once

#include <string>
#include <string_view>

#include "console/live_fields.h"
#include "ecu/live_data.h"

namespace ecuprobe::cli {

// Tables of the live values, by the fields of console::liveFields().
std::string tsvHeader();
std::string tsvLine(const ecu::LiveData& data);
// One "caption  value unit" line per value, values in one column.
std::string captionLines(const ecu::LiveData& data);

// Characters, not bytes, of UTF-8 text: the captions are Russian.
std::size_t displayWidth(std::string_view text);

}  // namespace ecuprobe::cli
