#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ecu/live_data.h"

namespace ecuprobe::ecu {

// How a value is shown: a decimal integer, the shortest "%.*g" form with 6
// significant digits, or a mark that is 0 or 1.
enum class LiveFormat : std::uint8_t { integer, real, flag };

// One field of LiveData: where the live request finds its raw value, how that
// converts into the field, and how the field is shown.
struct LiveField {
    std::string_view name;  // the LiveData member, as the ECU names it
    std::uint8_t variable;  // ECU variable number; 0 where no live variable fills the field
    std::uint8_t width;     // bytes of the variable in an answer, 2-byte values low byte first
    bool slow;              // the variable comes only with the slow group
    std::int8_t bit;        // the field's bit in the variable's byte; -1 for a whole value
    double (*convert)(unsigned raw);
    void (*store)(LiveData& data, double value);
    double (*value)(const LiveData& data);
    LiveFormat format;
    std::string_view unit;  // UTF-8, empty for none
};

// Every field of LiveData in the order of the live request: the fields of one
// variable stand together, and the fields that no variable fills come last.
std::span<const LiveField> liveFieldTable();

// The row of a field by its name, nullptr for none.
const LiveField* findLiveField(std::string_view name);

// The shortest "%.*g" form with 6 significant digits: 5 -> "5", 0.375 -> "0.375".
std::string formatFloat(float value);

// The field's value as the console shows it.
std::string liveValueText(const LiveField& field, const LiveData& data);

// Converts one variable's raw value into every field it fills (a one-variable
// read answers with the value from its first byte).
void decodeLiveVariable(std::uint8_t variable, std::span<const std::uint8_t> value, LiveData& data);

}  // namespace ecuprobe::ecu
