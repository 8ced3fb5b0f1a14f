#include "ecu/live_fields.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace ecuprobe::ecu {

namespace {

// Single-precision scale factors. Every product and sum below is exact in double
// (at most 16 bits times 24 bits), so rounding once to float in store() gives the
// same result as any wider evaluation.
constexpr float tenth = 0.1f;
constexpr float injScale = 0.008f;
constexpr float byteScale = 0.00390625f;
constexpr float byteOffset = 128.0f;

double asIs(unsigned raw) {
    return raw;
}

double celsius(unsigned raw) {
    return static_cast<double>(raw) - 40.0;
}

double times40(unsigned raw) {
    return raw * 40.0;
}

double times10(unsigned raw) {
    return raw * 10.0;
}

// Signed half degrees, the quotient truncated toward zero: 0xFB gives -2.
double wholeDegrees(unsigned raw) {
    return static_cast<std::int8_t>(raw) / 2;
}

double halfDegrees(unsigned raw) {
    return static_cast<std::int8_t>(raw) * 0.5;
}

double airFuelRatio(unsigned raw) {
    return raw * static_cast<double>(byteScale) + 0.5;
}

double tenths(unsigned raw) {
    return raw * static_cast<double>(tenth);
}

double injectionMs(unsigned raw) {
    return raw * static_cast<double>(injScale);
}

// |r - 128| / 256 - 0.5, for RCOK and RCOD: 0 gives 0, 128 gives -0.5.
double coCorrection(unsigned raw) {
    return std::abs(static_cast<double>(raw) - 128.0) / 256.0 - 0.5;
}

double coefficient(unsigned raw) {
    return (raw + static_cast<double>(byteOffset)) * static_cast<double>(byteScale);
}

// Kept in 8 bits: raw 43 gives 258, stored as 2.
double sixDegreeSteps(unsigned raw) {
    return (raw * 6u) & 0xFFu;
}

double lowByte(unsigned raw) {
    return raw & 0xFFu;
}

template <auto member>
void storeAs(LiveData& data, double value) {
    using Field = std::remove_reference_t<decltype(data.*member)>;
    data.*member = static_cast<Field>(value);
}

template <auto member>
double valueOf(const LiveData& data) {
    return static_cast<double>(data.*member);
}

struct Source {
    std::uint8_t variable;
    std::uint8_t width;
    bool slow;
    std::int8_t bit;
};

constexpr Source byte(std::uint8_t variable) {
    return {variable, 1, false, -1};
}
constexpr Source word(std::uint8_t variable) {
    return {variable, 2, false, -1};
}
constexpr Source slowByte(std::uint8_t variable) {
    return {variable, 1, true, -1};
}
constexpr Source flagBit(std::uint8_t variable, std::int8_t bit) {
    return {variable, 1, false, bit};
}
constexpr Source noVariable{0, 0, false, -1};

constexpr auto integer = LiveFormat::integer;
constexpr auto real = LiveFormat::real;
constexpr auto flag = LiveFormat::flag;

template <auto member>
constexpr LiveField field(std::string_view name, Source from, double (*convert)(unsigned),
                          LiveFormat format, std::string_view unit = {}) {
    return {name,    from.variable,   from.width,      from.slow, from.bit,
            convert, storeAs<member>, valueOf<member>, format,    unit};
}

using D = LiveData;

// Flag bytes: 0x07 state A (bits 1 and 3 unused), 0x08 state B (bit 7 unused),
// 0x09 the outputs the ECU reports (bits 6 and 7 unused).
const std::array table{
    field<&D::TWAT>("TWAT", byte(0x1A), celsius, integer, "°C"),
    field<&D::FREQ>("FREQ", byte(0x29), times40, integer, "об/мин"),
    field<&D::FREQXX>("FREQXX", byte(0x2C), times10, integer, "об/мин"),
    field<&D::UOZ>("UOZ", byte(0x26), wholeDegrees, integer, "°"),
    field<&D::BITSTP>("BITSTP", flagBit(0x07, 0), asIs, flag),
    field<&D::RXX>("RXX", flagBit(0x07, 2), asIs, flag),
    field<&D::BLKINJ>("BLKINJ", flagBit(0x07, 4), asIs, flag),
    field<&D::BITPOW>("BITPOW", flagBit(0x07, 5), asIs, flag),
    field<&D::WRKLAM>("WRKLAM", flagBit(0x07, 6), asIs, flag),
    field<&D::RDET>("RDET", flagBit(0x07, 7), asIs, flag),
    field<&D::ADSORBER>("ADSORBER", flagBit(0x08, 0), asIs, flag),
    field<&D::BITATM>("BITATM", flagBit(0x08, 1), asIs, flag),
    field<&D::TKFWR1>("TKFWR1", flagBit(0x08, 2), asIs, flag),
    field<&D::TKFWR2>("TKFWR2", flagBit(0x08, 3), asIs, flag),
    field<&D::INPLAM1>("INPLAM1", flagBit(0x08, 4), asIs, flag),
    field<&D::INPLAM2>("INPLAM2", flagBit(0x08, 5), asIs, flag),
    field<&D::DET>("DET", flagBit(0x08, 6), asIs, flag),
    field<&D::CHECKEIGINE>("CHECKEIGINE", flagBit(0x09, 0), asIs, flag),
    field<&D::fanOn>("fanOn", flagBit(0x09, 1), asIs, flag),
    field<&D::airConditionerOn>("airConditionerOn", flagBit(0x09, 2), asIs, flag),
    field<&D::fuelPumpOn>("fuelPumpOn", flagBit(0x09, 3), asIs, flag),
    field<&D::coil14On>("coil14On", flagBit(0x09, 4), asIs, flag),
    field<&D::coil23On>("coil23On", flagBit(0x09, 5), asIs, flag),
    field<&D::VALF>("VALF", byte(0x39), airFuelRatio, real),
    field<&D::NUACC>("NUACC", byte(0x1E), tenths, real, "В"),
    field<&D::THR>("THR", byte(0x20), asIs, integer, "%"),
    field<&D::RCOK>("RCOK", slowByte(0x42), coCorrection, real),
    field<&D::RCOD>("RCOD", slowByte(0x41), coCorrection, real),
    field<&D::UOZOC>("UOZOC", slowByte(0x28), halfDegrees, real, "°"),
    field<&D::JDMM>("JDMM", slowByte(0x5D), asIs, integer, "шаг"),
    field<&D::JEGR>("JEGR", slowByte(0x5F), asIs, integer, "%"),
    field<&D::JADS>("JADS", slowByte(0x5E), asIs, integer, "%"),
    field<&D::SSM>("SSM", byte(0x5B), asIs, integer, "шаг"),
    field<&D::FSM>("FSM", byte(0x5C), asIs, integer, "шаг"),
    field<&D::fsmCopy>("fsmCopy", byte(0x5C), asIs, integer, "шаг"),
    field<&D::TAIR>("TAIR", byte(0x1C), celsius, integer, "°C"),
    field<&D::SPD>("SPD", byte(0x60), asIs, integer, "км/ч"),
    field<&D::UGB>("UGB", byte(0x59), tenths, real, "кг/ч"),
    field<&D::INJ>("INJ", word(0x3F), injectionMs, real, "мс"),
    field<&D::JAIR>("JAIR", word(0x21), tenths, real, "кг/ч"),
    field<&D::JQT>("JQT", word(0x40), tenths, real, "л/ч"),
    field<&D::FAZ>("FAZ", byte(0x18), sixDegreeSteps, integer, "°"),
    field<&D::BDET>("BDET", byte(0x0F), asIs, integer),
    // The second byte of PABS is not used.
    field<&D::PABS>("PABS", word(0x23), lowByte, integer),
    field<&D::LAM1>("LAM1", byte(0x4D), asIs, integer, "мВ"),
    field<&D::LAM2>("LAM2", byte(0x4E), asIs, integer, "мВ"),
    field<&D::COEFF1>("COEFF1", byte(0x45), coefficient, real),
    field<&D::COEFF2>("COEFF2", byte(0x46), coefficient, real),
    field<&D::JQK>("JQK", noVariable, asIs, real, "л/100км"),
    field<&D::O2FLAGS>("O2FLAGS", noVariable, asIs, integer),
};

}  // namespace

std::span<const LiveField> liveFieldTable() {
    return table;
}

const LiveField* findLiveField(std::string_view name) {
    for (const LiveField& row : table) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

std::string formatFloat(float value) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*g", 6, static_cast<double>(value));
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string liveValueText(const LiveField& field, const LiveData& data) {
    const double value = field.value(data);
    if (field.format == LiveFormat::real) {
        return formatFloat(static_cast<float>(value));
    }
    return std::to_string(static_cast<long long>(value));
}

}  // namespace ecuprobe::ecu
